# Cross toolchain: 64-bit Windows executables (where the machine runs no 32-bit programs).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
