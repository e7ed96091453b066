# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the .exe tests through Wine; the wrapper takes the prefix and display from the
# environment prepared by scripts/wine-env.sh.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
