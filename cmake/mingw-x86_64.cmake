# Cross-compiling the same sources for x86_64 Windows. What ships is the i686 build; this one
# runs the same tests under 64-bit Wine on machines that cannot start 32-bit programs.
set(KORVALIN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
