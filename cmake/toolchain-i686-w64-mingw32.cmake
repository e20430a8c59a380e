# 32-bit Windows: built and linked only (no 32-bit Wine here).
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
