# Cross-compiling the 32-bit Windows program, the one that ships; its tests run under 32-bit Wine.
set(KORVALIN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
