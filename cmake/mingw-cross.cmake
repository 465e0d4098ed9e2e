# Cross build for Windows with MinGW-w64 (posix thread model, for std::thread).
# Included by the toolchain files, which set MELODEK_MINGW_ARCH (i686, x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MELODEK_MINGW_ARCH})
set(CMAKE_C_COMPILER ${MELODEK_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MELODEK_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${MELODEK_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MELODEK_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests built for Windows run under Wine; scripts/wine-env.sh prepares the
# prefix (for the 64-bit build it puts a "wine" that starts Wine's 64-bit
# loader first in PATH).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
