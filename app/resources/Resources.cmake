# Resources of Vellora.exe. Adding ${VELLORA_RESOURCE_OBJECT} to an executable's
# sources compiles the resource script with windres; its pictures are drawn by
# tools/make_images.py from the sources in art/ into ${VELLORA_GENERATED_DIR}.
#
# The pictures are drawn once when the build is configured, so that they exist
# for every target in every directory before anything compiles, and again
# whenever an art source or the drawing script changes: those files are
# configure dependencies, so the next build re-runs the configure step first.
# The resource script includes the generated ArtManifest.h, which carries a
# digest of all pictures; a changed picture therefore recompiles the script
# wherever it is used. The custom target vellora_images redraws on demand.

set(VELLORA_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VELLORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(VELLORA_MAKE_IMAGES ${CMAKE_SOURCE_DIR}/tools/make_images.py)
file(GLOB VELLORA_ART_SOURCES ${VELLORA_RESOURCE_DIR}/art/*.art)

set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${VELLORA_ART_SOURCES} ${VELLORA_MAKE_IMAGES} ${VELLORA_RESOURCE_DIR}/art)

execute_process(COMMAND ${PYTHON3} ${VELLORA_MAKE_IMAGES} ${VELLORA_RESOURCE_DIR}/art --list-outputs
                OUTPUT_VARIABLE _vellora_image_names OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _vellora_result)
if(NOT _vellora_result EQUAL 0)
  message(FATAL_ERROR "tools/make_images.py cannot read app/resources/art")
endif()
execute_process(COMMAND ${PYTHON3} ${VELLORA_MAKE_IMAGES} ${VELLORA_RESOURCE_DIR}/art ${VELLORA_GENERATED_DIR}
                RESULT_VARIABLE _vellora_result)
if(NOT _vellora_result EQUAL 0)
  message(FATAL_ERROR "tools/make_images.py failed to draw the pictures")
endif()

# Everything the resource script reads; not the stamp, which every drawing run touches.
set(VELLORA_IMAGE_FILES "")
foreach(_name ${_vellora_image_names})
  if(NOT _name STREQUAL "images.stamp")
    list(APPEND VELLORA_IMAGE_FILES ${VELLORA_GENERATED_DIR}/${_name})
  endif()
endforeach()

add_custom_command(
  OUTPUT ${VELLORA_GENERATED_DIR}/images.stamp
  COMMAND ${PYTHON3} ${VELLORA_MAKE_IMAGES} ${VELLORA_RESOURCE_DIR}/art ${VELLORA_GENERATED_DIR}
  DEPENDS ${VELLORA_ART_SOURCES} ${VELLORA_MAKE_IMAGES}
  COMMENT "Drawing the pictures of app/resources/art"
  VERBATIM)
add_custom_target(vellora_images DEPENDS ${VELLORA_GENERATED_DIR}/images.stamp)

set(VELLORA_RESOURCE_OBJECT ${VELLORA_RESOURCE_DIR}/Vellora.rc)
set_source_files_properties(${VELLORA_RESOURCE_OBJECT} PROPERTIES OBJECT_DEPENDS "${VELLORA_IMAGE_FILES}")

# windres finds the pictures and ArtManifest.h on its include path; the tests
# include ArtManifest.h to compare the pictures with ToolbarLayout.h.
include_directories(${VELLORA_GENERATED_DIR})
