# Cross-compiling the Windows programs with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(WB_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${WB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The header-only libraries (JSON, CLI11) come from the host's /usr/share.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
list(APPEND CMAKE_PREFIX_PATH /usr)

# Tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
