# The installer run silently in the test prefix and the portable zip unpacked
# and started. Both touch the user's classes and the program's registry key,
# which the collector's and the end-to-end tests use too: they share their lock.
# No menu builder runs: the Start-menu entry and the file type would otherwise
# reach the desktop outside the prefix.
if(NOT TARGET installer OR NOT TARGET portable_zip)
  return()
endif()
set(_portable_run "${CMAKE_BINARY_DIR}/portable run/Any folder")
add_test(NAME PortableZipUnpacked
         COMMAND bash -c "set -e; rm -rf \"$1\"; mkdir -p \"$1\"; unzip -q \"$2\" -d \"$1\""
                 unpack ${_portable_run} ${VELLORA_PORTABLE_ZIP})
set_tests_properties(PortableZipUnpacked PROPERTIES FIXTURES_SETUP portable_unpacked)
vellora_test_program(install_tests DIRS install
                     LIBS vellora_collector vellora_store psapi shell32 ole32 uuid
                     LOCK program_registry
                     PROPS TIMEOUT 300 FIXTURES_REQUIRED portable_unpacked
                           ENVIRONMENT "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")
target_sources(install_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e/VelloraProcess.cpp)
add_dependencies(install_tests installer portable_zip MakeSampleLibrary)
