# What both MinGW-w64 toolchains share (Debian's posix thread model); the file that includes
# this one sets KORVALIN_MINGW_TRIPLE first.
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${KORVALIN_MINGW_TRIPLE})
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KORVALIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVALIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVALIN_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVALIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine of the same width in a virtual display, in a prefix owned by the build
# tree. (CMAKE_BINARY_DIR is the top of the build tree when project() reads this file.)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh --prefix ${CMAKE_BINARY_DIR}/wineprefix)
