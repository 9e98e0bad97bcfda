# The kill loop's short form: a few kills of a program saving, repacking and
# saving at close (the path watched during repacks), each library checked.
add_test(NAME KillLoopLeavesOldOrNewLibraries
         COMMAND bash -c "set -u; out=\"$1\"; rm -rf \"$out\"; mkdir -p \"$out\"
                  \"$2\" \"$3\" \"$(winepath -w \"$out\")\" --kills 6 --mode all --watch --max-delay 3000"
                 kill ${CMAKE_BINARY_DIR}/killloop-ci ${CMAKE_SOURCE_DIR}/tools/wine-exec.sh $<TARGET_FILE:KillLoop>)
set_tests_properties(KillLoopLeavesOldOrNewLibraries PROPERTIES TIMEOUT 180)
