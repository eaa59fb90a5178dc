#!/usr/bin/env python3
"""The file version of a Windows program's version resource.

  exe-version.py get PROGRAM.exe             print it, e.g. 2.1.1.0
  exe-version.py set PROGRAM.exe 2.1.2.0     write another one into the file
                                             (the fixed file info and the
                                             FileVersion / ProductVersion texts)

The installer takes its version from the program this way, so the version
in Programs and Features is the one the program shows. `set` makes the
"newer program" of the upgrade test from a copy of the built one.
"""
import re
import struct
import sys

SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def fixed_info_offset(data: bytes) -> int:
    at = data.find(SIGNATURE)
    if at < 0 or data.find(SIGNATURE, at + 4) >= 0:
        sys.exit("exe-version: no single VS_FIXEDFILEINFO in the file")
    return at


def read_version(data: bytes) -> str:
    at = fixed_info_offset(data)
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def write_version(data: bytearray, version: str) -> None:
    parts = [int(p) for p in version.split(".")]
    if len(parts) != 4 or any(p < 0 or p > 0xFFFF for p in parts):
        sys.exit(f"exe-version: not a version of four numbers: {version}")
    old = read_version(bytes(data))
    at = fixed_info_offset(bytes(data))
    ms, ls = (parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]
    struct.pack_into("<IIII", data, at + 8, ms, ls, ms, ls)  # file and product version
    # The texts of the string table, where the new one fits into the old one's place.
    old_text, new_text = old.encode("utf-16-le"), version.encode("utf-16-le")
    if len(new_text) == len(old_text):
        for name in ("FileVersion", "ProductVersion"):
            key = (name + "\0").encode("utf-16-le")
            for m in re.finditer(re.escape(key), bytes(data)):
                start = m.end() + (-m.end() % 4)  # the value is aligned to 32 bits
                if data[start:start + len(old_text)] == old_text:
                    data[start:start + len(new_text)] = new_text


def main() -> None:
    if len(sys.argv) == 3 and sys.argv[1] == "get":
        with open(sys.argv[2], "rb") as f:
            print(read_version(f.read()))
    elif len(sys.argv) == 4 and sys.argv[1] == "set":
        with open(sys.argv[2], "rb") as f:
            data = bytearray(f.read())
        write_version(data, sys.argv[3])
        with open(sys.argv[2], "wb") as f:
            f.write(data)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
