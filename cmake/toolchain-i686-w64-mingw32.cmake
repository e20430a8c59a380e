# 32-bit Windows: the tests run under 32-bit Wine, its x86 code run by
# qemu-i386 in the environment of scripts/emu32.sh (tests/wine-run.sh sets the
# locale; that environment gives the prefix and the display).
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine-run.sh)
