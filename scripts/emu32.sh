#!/usr/bin/env bash
# The 32-bit Windows environment: 32-bit Wine with its x86 code run by
# qemu-i386, for machines that cannot execute 32-bit x86 code themselves.
#
# A Debian trixie chroot (Wine 10 with wine32:i386, qemu-user, Xvfb, Privoxy
# and what the test scripts use) kept in a machine-wide cache outside the
# repository, made again when the package list below changes. It is entered
# in user, mount, PID and network namespaces of its own: a binfmt_misc
# instance private to that user namespace hands i386 programs to qemu-i386
# (the host's binfmt table is not touched), the repository is at the same
# path inside, /tmp is private, only loopback exists, and whatever is left
# running inside ends with the command. qemu-i386 preloads
# scripts/emu32-trapno.c into each 32-bit process, so Wine tells page faults
# from illegal instructions, and Debian's 32-bit Wine loader is replaced by
# scripts/emu32-wineloader.c, which leaves 0x400000 to the Windows program.
#
# Usage: scripts/emu32.sh setup             make or refresh the chroot, build the shim
#                                           and the loader
#        scripts/emu32.sh run CMD [ARG...]  run CMD inside, in the current folder
#        scripts/emu32.sh shell             an interactive shell inside
#        scripts/emu32.sh ctest [ARG...]    the i686 tree's tests: a 32-bit Wine
#                                           prefix and Xvfb of their own, then
#                                           ctest --test-dir build/i686 ARG...
# Run as root. VEILMARK_EMU32_CACHE moves the cache (default
# /var/cache/veilmark/emu32), VEILMARK_DEBIAN_MIRROR names the Debian mirror.
set -euo pipefail
self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/.." && pwd)
cache=${VEILMARK_EMU32_CACHE:-/var/cache/veilmark/emu32}
mirror=${VEILMARK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
chroot=$cache/trixie
# Inside the chroot: the shim and the binfmt handler that runs qemu with it.
libdir=/usr/local/lib/veilmark-emu32

packages=(
  wine wine64 wine32:i386 libwine libwine:i386 fonts-wine
  qemu-user xvfb locales
  cmake python3 privoxy xdotool x11-utils imagemagick
  procps iproute2 util-linux passwd curl
  gcc-multilib
)
# Changing the recipe (this list, the steps in make_chroot) makes the chroot again.
recipe=3
stamp=$(printf '%s\n' "$recipe" "$mirror" "${packages[@]}" | sha256sum | cut -c1-16)

log() { echo "emu32: $*" >&2; }

make_chroot() {  # folder
  local dir=$1
  if ! command -v debootstrap >/dev/null; then
    log "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null ||
      { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null; }
  fi
  log "debootstrap trixie (minbase) into $dir"
  debootstrap --variant=minbase --arch=amd64 trixie "$dir" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -20 "$cache/debootstrap.log" >&2; return 1; }
  # No service starts in here.
  printf '#!/bin/sh\nexit 101\n' >"$dir/usr/sbin/policy-rc.d"
  chmod 755 "$dir/usr/sbin/policy-rc.d"
  # Wine's ANSI code page follows the locale: ru_RU.UTF-8 gives 1251.
  echo 'ru_RU.UTF-8 UTF-8' >"$dir/etc/locale.gen"
  log "installing ${packages[*]}"
  # Mounts made for apt live in a mount namespace of their own and go with it.
  unshare --mount --propagation private -- /bin/sh -ec '
    dir=$1; shift
    mount --rbind /dev "$dir/dev"
    mount -t proc proc "$dir/proc"
    mount --rbind /sys "$dir/sys"
    chroot "$dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive /bin/sh -ec "
      dpkg --add-architecture i386
      apt-get update -qq
      apt-get install -y -qq --no-install-recommends $* >/dev/null
      locale-gen >/dev/null
      dpkg-divert --local --rename --divert /usr/lib/wine/wine.pie --add /usr/lib/wine/wine >/dev/null
      apt-get clean
      rm -rf /var/lib/apt/lists/*"
  ' sh "$dir" "${packages[@]}" >"$cache/install.log" 2>&1 || { tail -30 "$cache/install.log" >&2; return 1; }
  mkdir -p "$dir$libdir"
  # The binfmt_misc handler: qemu-i386 with the shim preloaded into the
  # program it runs (-E sets the guest's environment, not qemu's own).
  printf '#!/bin/sh\nexec /usr/bin/qemu-i386 -E LD_PRELOAD=%s/trapno.so "$@"\n' "$libdir" >"$dir$libdir/qemu-i386"
  chmod 755 "$dir$libdir/qemu-i386"
  echo "$stamp" >"$dir/.veilmark-stamp"
}

setup() {
  mkdir -p "$cache"
  exec 9>"$cache/lock"
  flock 9
  if [ "$(cat "$chroot/.veilmark-stamp" 2>/dev/null)" != "$stamp" ]; then
    local started=$SECONDS
    rm -rf --one-file-system "$chroot.new"
    make_chroot "$chroot.new"
    rm -rf --one-file-system "$chroot"
    mv "$chroot.new" "$chroot"
    log "chroot ready in $((SECONDS - started)) s, $(du -sh --one-file-system "$chroot" | cut -f1) in $chroot"
  fi
  # The shim and the Wine loader, from this checkout's sources.
  build_in_chroot scripts/emu32-trapno.c "$libdir/trapno.so" -shared -fPIC -nostdlib
  build_in_chroot scripts/emu32-wineloader.c /usr/lib/wine/wine -fno-pie -no-pie -rdynamic -Wl,-Ttext-segment=0x7d000000
  # Held shared while this script runs: no other one makes the chroot again
  # under a command running in it.
  flock -s 9
}

# Compiles one C file of the repository for i386 with the chroot's compiler,
# unless the program there was built from the same source and options.
build_in_chroot() {  # source, program's path inside, gcc options...
  local source=$root/$1 program=$2
  shift 2
  local sum
  sum=$( (cat "$source"; echo "$*") | sha256sum | cut -c1-16)
  [ "$(cat "$chroot$program.veilmark-sum" 2>/dev/null)" != "$sum" ] || return 0
  local work
  work=$(mktemp -d "$chroot/tmp/build.XXXXXX")
  cp "$source" "$work/"
  chroot "$chroot" /usr/bin/env -i PATH=/usr/bin:/bin \
    gcc -m32 -O2 -Wall -Werror "$@" -o "${work#"$chroot"}/out" "${work#"$chroot"}/$(basename "$source")"
  mv "$work/out" "$chroot$program"
  rm -rf "$work"
  echo "$sum" >"$chroot$program.veilmark-sum"
}

# Runs in the new namespaces, on the host's file system still: mounts the
# chroot's file systems, registers the i386 handler and enters the chroot.
inside() {  # go-fifo folder command...
  local go=$1 dir=$2
  shift 2
  read -r _ <"$go"  # the namespace's user and group maps are written
  local c=$chroot
  mount --make-rprivate /
  mount --rbind /dev "$c/dev"
  mount -t tmpfs -o mode=1777 tmpfs "$c/dev/shm"
  mount -t proc proc "$c/proc"
  mount --rbind /sys "$c/sys"
  mount -t tmpfs -o mode=1777 tmpfs "$c/tmp"
  mount -t binfmt_misc binfmt_misc "$c/proc/sys/fs/binfmt_misc"
  # i386 ELF executables and shared objects started as programs.
  printf '%s' ":veilmark-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$libdir/qemu-i386:" \
    >"$c/proc/sys/fs/binfmt_misc/register"
  mkdir -p "$c$root"
  mount --rbind "$root" "$c$root"
  local pass=() name
  for name in TERM CI WINEDEBUG $(compgen -e | grep -E '^VEILMARK_' || true); do
    [ -z "${!name+set}" ] || pass+=("$name=${!name}")
  done
  exec chroot "$c" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 VEILMARK_EMU32=1 "${pass[@]}" \
    /bin/bash -c 'ulimit -c 0; ip link set lo up; cd "$1" 2>/dev/null || cd /; shift; "$@"; exit $?' - "$dir" "$@"
}

enter() {  # command...
  setup
  local go
  go=$(mktemp -u /tmp/veilmark-emu32.XXXXXX)
  mkfifo -m 600 "$go"
  # Root inside is root outside, and so is every other user: the chroot's
  # files keep their owners, and a test may make a user of its own.
  unshare --user --mount --pid --net --fork --kill-child -- bash "$self" __inside "$go" "$PWD" "$@" &
  local pid=$! own
  own=$(readlink /proc/self/ns/user)
  for _ in $(seq 100); do [ "$(readlink "/proc/$pid/ns/user" 2>/dev/null)" = "$own" ] || break; sleep 0.05; done
  echo '0 0 4294967295' >"/proc/$pid/uid_map"
  echo '0 0 4294967295' >"/proc/$pid/gid_map"
  echo go >"$go"
  rm -f "$go"
  local status=0
  wait "$pid" || status=$?
  return $status
}

# Inside: a 32-bit prefix and an Xvfb of the suite's own, then ctest.
suite() {  # ctest args...
  cd "$root"
  export WINEPREFIX WINEARCH=win32
  WINEPREFIX=$(mktemp -d /tmp/veilmark-wine32.XXXXXX)
  . scripts/wine-env.sh
  trap wine_env_cleanup EXIT
  start_xvfb
  local started=$SECONDS
  prepare_prefix
  echo "emu32: 32-bit prefix made in $((SECONDS - started)) s"
  local status=0
  ctest --test-dir build/i686 "$@" || status=$?
  return $status
}

case ${1:-} in
  setup) setup ;;
  run) shift; enter "$@" ;;
  shell) enter bash -i ;;
  ctest) shift; enter bash "$self" __suite "$@" ;;
  __inside) shift; inside "$@" ;;
  __suite) shift; suite "$@" ;;
  *) sed -n '/^# Usage:/,/^# Run as root/p' "$self" | sed 's/^# \?//' >&2; exit 2 ;;
esac
