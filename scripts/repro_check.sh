#!/usr/bin/env bash
# Builds the installers a second time and checks that every shipped file has
# the bytes of the first build (scripts/build.sh, already run): the three files
# and the installer of the x86_64 and i686 trees, and their SHA256SUMS.
# The second build is of a copy of the same sources in a folder of another
# depth, under another time zone, locale and umask. The copy is of the sources
# as they are, committed or not, since those are what the first build built;
# it is what a source archive holds (no .git, every file with the time the
# first build stamped), so the second build takes its time from the files.
# Names each file that differs.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
trees=(x86_64 i686)
started=$(date +%s)

work=$(mktemp -d /tmp/veilmark-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/another/depth/veilmark
mkdir -p "$copy"
epoch=$(sed -n 's/^SOURCE_DATE_EPOCH:INTERNAL=//p' "$root/build/x86_64/CMakeCache.txt")
[ -n "$epoch" ] || { echo "repro_check: no first build in $root/build"; exit 1; }
tar -C "$root" --exclude=./build --exclude=./.git --mtime="@$epoch" -cf - . | tar -C "$copy" -xf - ||
  { echo "repro_check: could not copy the sources"; exit 1; }

log=$root/build/artifacts/repro-build.log
mkdir -p "${log%/*}"
if ! (umask 077 && env -u SOURCE_DATE_EPOCH TZ=Pacific/Chatham LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 \
      bash "$copy/scripts/build.sh" "${trees[@]/%/:installer}") >"$log" 2>&1; then
  tail -n 20 "$log"
  echo "repro_check: the second build failed (build/artifacts/repro-build.log)"
  exit 1
fi

differ=()
for tree in "${trees[@]}"; do
  setup=$(sed -n 's/^veilmark_setup:INTERNAL=//p' "$root/build/$tree/CMakeCache.txt")
  for file in bin/Veilmark.exe bin/Lumicon.dll bin/oxlensupport0100.dll "${setup##*/}" SHA256SUMS; do
    cmp -s "$root/build/$tree/$file" "$copy/build/$tree/$file" || differ+=("build/$tree/$file")
  done
done
echo "repro_check: second build took $(($(date +%s) - started)) s"
if ((${#differ[@]})); then
  printf 'repro_check: differs from a second build: %s\n' "${differ[@]}"
  exit 1
fi
echo "repro_check: all shipped files and SHA256SUMS are the same in a second build"
