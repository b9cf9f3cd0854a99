# Shared by the MinGW-w64 toolchain files: ZELCAP_MINGW_TRIPLE names the
# target (i686-w64-mingw32 or x86_64-w64-mingw32). The posix-thread
# compilers, because GoogleTest needs std::mutex, which the win32-thread
# variant lacks.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${ZELCAP_MINGW_TRIPLE})
set(CMAKE_C_COMPILER ${ZELCAP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELCAP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELCAP_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZELCAP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine, through the project's runner.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
