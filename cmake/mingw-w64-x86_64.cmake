# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX thread model, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(AMPLIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${AMPLIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${AMPLIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${AMPLIX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${AMPLIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The .exe files run on their own: the C++ runtime, libgcc and winpthread linked in, not beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# CTest runs the programs under Wine, in a prefix of the build folder's own (made on first use)
# and without Wine's debugging chatter on standard error.
find_program(AMPLIX_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(AMPLIX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all
        ${AMPLIX_WINE})
endif()
