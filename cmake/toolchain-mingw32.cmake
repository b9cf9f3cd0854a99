# Cross-compiling for 32-bit Windows, the program Zelcap ships.
set(ZELCAP_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
