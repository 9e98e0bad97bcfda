# What ships: the Windows installer (built with NSIS's makensis when it is
# there) and a portable zip that runs from any folder and registers nothing.
# Both carry the same files, laid out as in build/bin.
set(VELLORA_VERSION 1.0.0.0)
set(VELLORA_DIST ${CMAKE_BINARY_DIR}/dist)
set(VELLORA_SETUP ${VELLORA_DIST}/VelloraSetup.exe)
set(VELLORA_PORTABLE_ZIP ${VELLORA_DIST}/Vellora-portable.zip)

if(NOT TARGET Vellora)
  return()
endif()

set(_ship_programs Vellora vlx vlxcheck LibraneCollector)
set(_ship_files "")
foreach(_target ${_ship_programs})
  list(APPEND _ship_files $<TARGET_FILE:${_target}>)
endforeach()
list(APPEND _ship_files ${VELLORA_BIN}/LibraneCollector.htm)

# A 64-bit build (the tests' build where 32-bit programs cannot run) gets a
# 64-bit installer: a 32-bit one would not run beside it.
set(_nsis_target "")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_nsis_target -DTARGET64)
endif()
find_program(VELLORA_MAKENSIS makensis)
if(VELLORA_MAKENSIS)
  add_custom_command(
    OUTPUT ${VELLORA_SETUP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELLORA_DIST}
    COMMAND ${VELLORA_MAKENSIS} -V2 -WX ${_nsis_target} -DBINDIR=${VELLORA_BIN} -DICON=${CMAKE_BINARY_DIR}/generated/vellora.ico
            -DVERSION=${VELLORA_VERSION} -DOUTFILE=${VELLORA_SETUP} ${CMAKE_CURRENT_LIST_DIR}/Vellora.nsi
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/Vellora.nsi ${_ship_files} ${VELLORA_STB}
    COMMENT "Building the installer dist/VelloraSetup.exe"
    VERBATIM)
  add_custom_target(installer ALL DEPENDS ${VELLORA_SETUP})
  add_dependencies(installer ${_ship_programs} string_table)
else()
  message(STATUS "makensis not found: no installer (apt-get install nsis)")
endif()

# The zip holds one folder, Vellora, to be unpacked anywhere.
set(_stage ${VELLORA_DIST}/portable)
add_custom_command(
  OUTPUT ${VELLORA_PORTABLE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}/Vellora/Cnfg
  COMMAND ${CMAKE_COMMAND} -E copy ${_ship_files} ${_stage}/Vellora
  COMMAND ${CMAKE_COMMAND} -E copy ${VELLORA_STB} ${_stage}/Vellora/Cnfg
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VELLORA_PORTABLE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${_stage} ${CMAKE_COMMAND} -E tar cf ${VELLORA_PORTABLE_ZIP} --format=zip Vellora
  DEPENDS ${_ship_files} ${VELLORA_STB}
  COMMENT "Packing the portable zip dist/Vellora-portable.zip"
  VERBATIM)
add_custom_target(portable_zip ALL DEPENDS ${VELLORA_PORTABLE_ZIP})
add_dependencies(portable_zip ${_ship_programs} string_table)
