# Cross-compiling for 64-bit Windows. Zelcap ships as a 32-bit program; this
# build of the same sources is what the Wine tests run on hosts whose kernel
# executes no 32-bit code.
set(ZELCAP_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
