# The kill loop's short form: a few kills of a program repacking real edits,
# some at the moment the path would be empty, then a few of one saving them
# by Save, Repack and the close question in turn; each library is checked.
add_test(NAME KillLoopLeavesOldOrNewLibraries
         COMMAND bash -c "set -u; out=\"$1\"; rm -rf \"$out\"; mkdir -p \"$out\"
                  \"$2\" \"$3\" \"$(winepath -w \"$out\")\" --kills 5 --mode repack --watch --max-delay 3000"
                 kill ${CMAKE_BINARY_DIR}/killloop-ci ${CMAKE_SOURCE_DIR}/tools/wine-exec.sh $<TARGET_FILE:KillLoop>)
set_tests_properties(KillLoopLeavesOldOrNewLibraries PROPERTIES TIMEOUT 180)
add_test(NAME KillLoopSavingEveryWayLeavesOldOrNewLibraries
         COMMAND bash -c "set -u; out=\"$1\"; rm -rf \"$out\"; mkdir -p \"$out\"
                  \"$2\" \"$3\" \"$(winepath -w \"$out\")\" --kills 6 --mode all --max-delay 3000"
                 kill ${CMAKE_BINARY_DIR}/killloop-all-ci ${CMAKE_SOURCE_DIR}/tools/wine-exec.sh $<TARGET_FILE:KillLoop>)
set_tests_properties(KillLoopSavingEveryWayLeavesOldOrNewLibraries PROPERTIES TIMEOUT 240)
