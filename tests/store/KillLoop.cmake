# The kill loop's short form: a few kills of a program repacking real edits,
# some at the moment the path would be empty, each library checked. (Kills
# during the close question's save can still, rarely, leave a library that
# only its backup replaces; the full loop counts them.)
add_test(NAME KillLoopLeavesOldOrNewLibraries
         COMMAND bash -c "set -u; out=\"$1\"; rm -rf \"$out\"; mkdir -p \"$out\"
                  \"$2\" \"$3\" \"$(winepath -w \"$out\")\" --kills 5 --mode repack --watch --max-delay 3000"
                 kill ${CMAKE_BINARY_DIR}/killloop-ci ${CMAKE_SOURCE_DIR}/tools/wine-exec.sh $<TARGET_FILE:KillLoop>)
set_tests_properties(KillLoopLeavesOldOrNewLibraries PROPERTIES TIMEOUT 180)
