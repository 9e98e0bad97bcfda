# LibraneCollector.dll: the in-process COM server the browser's context menu
# runs. It stands on the store library and the platform only. The code that
# is not the DLL's entry points lives in vellora_collector so that the tests
# can exercise it without going through COM; the DLL adds the exports, the
# type library, the dialog template and the tree pictures.

set(COLLECTOR_DIR ${CMAKE_CURRENT_LIST_DIR})
set(COLLECTOR_GENERATED ${CMAKE_BINARY_DIR}/generated/collector)
file(MAKE_DIRECTORY ${COLLECTOR_GENERATED})

file(GLOB COLLECTOR_SOURCES CONFIGURE_DEPENDS ${COLLECTOR_DIR}/*.cpp)
list(REMOVE_ITEM COLLECTOR_SOURCES ${COLLECTOR_DIR}/Exports.cpp)
add_library(vellora_collector STATIC ${COLLECTOR_SOURCES})
vellora_layer(vellora_collector collector)
target_link_libraries(vellora_collector PUBLIC vellora_store comctl32 gdi32 user32 shell32 ole32 oleaut32 uuid
                      advapi32)

# The type library: widl keeps string bytes as written, so the help strings
# are turned into GB2312 first; the base interfaces come from stdole2.tlb.
find_program(COLLECTOR_WIDL NAMES ${VELLORA_WIDL} i686-w64-mingw32-widl widl REQUIRED)
find_path(COLLECTOR_STDOLE_DIR stdole2.tlb
          PATHS /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows /usr/lib/i386-linux-gnu/wine
                /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
                "$ENV{SystemRoot}/SysWOW64" "$ENV{SystemRoot}/System32"
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_custom_command(
  OUTPUT ${COLLECTOR_GENERATED}/LibraneCollector.tlb
  COMMAND ${PYTHON3} ${COLLECTOR_DIR}/make_idl.py ${COLLECTOR_DIR}/LibraneCollector.idl
          ${COLLECTOR_GENERATED}/LibraneCollector.idl
  COMMAND ${COLLECTOR_WIDL} -t -L ${COLLECTOR_STDOLE_DIR} -o ${COLLECTOR_GENERATED}/LibraneCollector.tlb
          ${COLLECTOR_GENERATED}/LibraneCollector.idl
  DEPENDS ${COLLECTOR_DIR}/LibraneCollector.idl ${COLLECTOR_DIR}/make_idl.py
  COMMENT "Compiling the collector's type library"
  VERBATIM)

# The tree pictures of the dialog, drawn like the program's.
file(GLOB COLLECTOR_ART ${COLLECTOR_DIR}/art/*.art)
execute_process(COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tools/make_images.py ${COLLECTOR_DIR}/art
                        ${COLLECTOR_GENERATED}
                RESULT_VARIABLE _collector_art_result)
if(NOT _collector_art_result EQUAL 0)
  message(FATAL_ERROR "tools/make_images.py failed to draw the collector's pictures")
endif()
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${COLLECTOR_ART})

set(COLLECTOR_RC ${COLLECTOR_DIR}/LibraneCollector.rc)
set_source_files_properties(${COLLECTOR_RC} PROPERTIES
  OBJECT_DEPENDS "${COLLECTOR_GENERATED}/LibraneCollector.tlb;${COLLECTOR_GENERATED}/save_to_tree.bmp;${COLLECTOR_DIR}/CollectorIds.h")

add_library(LibraneCollector SHARED ${COLLECTOR_DIR}/Exports.cpp ${COLLECTOR_RC} ${COLLECTOR_DIR}/LibraneCollector.def)
set_target_properties(LibraneCollector PROPERTIES PREFIX "" OUTPUT_NAME LibraneCollector)
target_include_directories(LibraneCollector PRIVATE ${COLLECTOR_GENERATED})
target_link_libraries(LibraneCollector PRIVATE vellora_collector)
target_link_options(LibraneCollector PRIVATE -Wl,--kill-at)
# windres looks for the type library and the picture in the generated folder.
set_property(SOURCE ${COLLECTOR_RC} APPEND PROPERTY INCLUDE_DIRECTORIES ${COLLECTOR_GENERATED})

# The menu page the browser runs lies beside the DLL under its name.
add_custom_command(
  OUTPUT ${VELLORA_BIN}/LibraneCollector.htm
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${COLLECTOR_DIR}/LibraneCollector.htm
          ${VELLORA_BIN}/LibraneCollector.htm
  DEPENDS ${COLLECTOR_DIR}/LibraneCollector.htm
  COMMENT "Placing the collector's menu page")
add_custom_target(collector_menu_page ALL DEPENDS ${VELLORA_BIN}/LibraneCollector.htm)
add_dependencies(LibraneCollector collector_menu_page)

# The collector's timings on a big library (a program, not a test); the
# dialog's template and pictures are compiled into it.
add_executable(CollectorBenchmark ${CMAKE_SOURCE_DIR}/tools/CollectorBenchmark.cpp ${COLLECTOR_RC})
target_include_directories(CollectorBenchmark PRIVATE ${COLLECTOR_GENERATED})
target_link_libraries(CollectorBenchmark PRIVATE vellora_collector)
