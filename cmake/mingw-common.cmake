# Cross toolchain body shared by mingw-i686.cmake and mingw-x86_64.cmake, which
# set CMAKE_SYSTEM_PROCESSOR first: Windows executables built on Linux with
# MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(TOOL_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOL_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOL_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOL_PREFIX}-windres)
set(CMAKE_AR           ${TOOL_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${TOOL_PREFIX}-ranlib CACHE FILEPATH "")
set(VELLORA_WIDL       ${TOOL_PREFIX}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests and tools built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec.sh)
