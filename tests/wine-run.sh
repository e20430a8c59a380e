#!/usr/bin/env bash
# CTest's emulator for the Windows tests: runs one program under 64-bit Wine
# in the prefix, display and locale that scripts/test.sh prepared.
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=${LANG_WINE:-ru_RU.UTF-8} LC_ALL=${LANG_WINE:-ru_RU.UTF-8}
exec wine "$@"
