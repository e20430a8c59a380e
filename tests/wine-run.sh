#!/usr/bin/env bash
# CTest's emulator for the Windows tests: runs one program under Wine (64-bit,
# or 32-bit in scripts/emu32.sh's environment) in the prefix, display and
# locale that scripts/test.sh or scripts/emu32.sh prepared.
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=${LANG_WINE:-ru_RU.UTF-8} LC_ALL=${LANG_WINE:-ru_RU.UTF-8}
exec wine "$@"
