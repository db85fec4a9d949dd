# 32-bit Windows (i686): the build that ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUORVEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
