#!/usr/bin/env python3
"""What the installer test reads off a Wine prefix.

  snapshot.py regdiff BEFORE.reg AFTER.reg [--expect KEY]...
      Compares two whole-registry exports (regedit /E, UTF-16). Prints every
      key and value added or removed. Fails when a change lies outside the
      expected keys, or an expected key shows no change.
  snapshot.py shortcut FILE.lnk
      Prints the Windows path that a shell link points at.
"""
import struct
import sys

# Wine rewrites its display adapters' device class at every start (Wine 10,
# the 32-bit tests' under scripts/emu32.sh, exports it under ControlSet001).
WINE_OWN = (
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class",
    "HKEY_LOCAL_MACHINE\\System\\ControlSet001\\Control\\Class",
)
# What Windows has from the start and Wine makes on first use: containers
# that are nobody's to remove, and WinINet's proxy switch (written when the
# program sends its request).
FIRST_USE = (
    "HKEY_CURRENT_USER\\Software\\Classes",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    'HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\t"ProxyEnable"=dword:00000000',
)
# regedit /E writes the current user's hive under its SID.
USER_HIVE = "HKEY_USERS\\S-1-5-21-0-0-0-1000"


def registry(path):
    """The export as a set of 'key' and 'key<TAB>value line' entries."""
    with open(path, encoding="utf-16") as export:
        text = export.read().replace("\\\n  ", "")
    entries, key = set(), None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1].replace(USER_HIVE, "HKEY_CURRENT_USER", 1)
            entries.add(key)
        elif key and line.strip():
            entries.add(key + "\t" + line)
    return entries


def under(entry, keys):
    name = entry.split("\t", 1)[0].lower()
    return any(name == k.lower() or name.startswith(k.lower() + "\\") for k in keys)


def regdiff(before_path, after_path, expected):
    before, after = registry(before_path), registry(after_path)
    changes = [("+", e) for e in sorted(after - before)] + [("-", e) for e in sorted(before - after)]
    changes = [(sign, e) for sign, e in changes if not under(e, WINE_OWN) and not (sign == "+" and e in FIRST_USE)]
    for sign, entry in changes:
        print(sign, entry.replace("\t", "  "))
    unexpected = [e for _, e in changes if not under(e, expected)]
    missing = [k for k in expected if not any(under(e, [k]) for _, e in changes)]
    for key in missing:
        print("no change under", key)
    return not unexpected and not missing


def shortcut(path):
    """LinkInfo's local base path (the Unicode one when present)."""
    with open(path, "rb") as link:
        data = link.read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    position = 0x4C
    if flags & 0x1:  # an item ID list comes first
        position += 2 + struct.unpack_from("<H", data, position)[0]
    if not flags & 0x2:
        raise ValueError("no link info")
    header_size, info_flags = struct.unpack_from("<II", data, position + 4)
    if not info_flags & 0x1:
        raise ValueError("not a local path")
    if header_size >= 0x24:
        start = position + struct.unpack_from("<I", data, position + 0x1C)[0]
        end = start
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[start:end].decode("utf-16-le")
    start = position + struct.unpack_from("<I", data, position + 0x10)[0]
    return data[start:data.index(b"\0", start)].decode("cp1251")


def main(argv):
    if len(argv) >= 3 and argv[0] == "regdiff":
        expected = [argv[i + 1] for i in range(2, len(argv) - 1) if argv[i] == "--expect"]
        return 0 if regdiff(argv[1], argv[2], expected) else 1
    if len(argv) == 2 and argv[0] == "shortcut":
        print(shortcut(argv[1]))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
