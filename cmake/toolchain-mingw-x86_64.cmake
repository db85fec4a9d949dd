# 64-bit Windows build of the same sources, for running the Windows tests on
# machines whose Wine cannot start 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUORVEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
