#!/usr/bin/env python3
"""One owner for every handle: fails on a raw CloseHandle, DeleteObject,
RegCloseKey, DestroyIcon, ReleaseDC or FreeLibrary outside the owning
wrappers (base/uniquehandle.h). A line may keep one when a comment on it says
why: `// raw handle: <reason>`.

    scripts/check-handles.py [root]     checks the sources below root
    scripts/check-handles.py --self-test  proves the check catches a planted one
"""
import os
import re
import sys
import tempfile

CALL = re.compile(r"\b(CloseHandle|DeleteObject|RegCloseKey|DestroyIcon|ReleaseDC|FreeLibrary)\s*\(")
REASON = re.compile(r"//\s*raw handle:\s*\S")
OWNERS = {os.path.join("base", "uniquehandle.h")}
SKIPPED_DIRS = {"build", ".git"}
SOURCE_ENDINGS = (".cpp", ".h", ".c", ".hpp")


def code_of(line):
    # What a comment says is no call; a string that holds "//" is rare enough here.
    return line.split("//", 1)[0]


def raw_uses(root):
    found = []
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in SKIPPED_DIRS and not d.startswith("."))
        for name in sorted(files):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, root)
            if relative in OWNERS:
                continue
            with open(path, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    if CALL.search(code_of(line)) and not REASON.search(line):
                        found.append(f"{relative}:{number}: {line.strip()}")
    return found


def self_test():
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "lock"))
        os.makedirs(os.path.join(root, "base"))
        planted = os.path.join(root, "lock", "planted.cpp")
        cases = [
            ("void F(HANDLE h) { CloseHandle(h); }\n", 1),
            ("void F(HANDLE h) { CloseHandle (h); }\n", 1),
            ("void F(HDC dc) { ::ReleaseDC(nullptr, dc); }\n", 1),
            ("void F(HANDLE h) { CloseHandle(h); }  // raw handle: given back before the fork\n", 0),
            ("// CloseHandle(h) is done by the owner\n", 0),
            ("void F() { MyCloseHandle(h); }\n", 0),
        ]
        for text, expected in cases:
            with open(planted, "w") as out:
                out.write(text)
            if len(raw_uses(root)) != expected:
                print(f"check-handles self-test: {text.strip()!r} should give {expected} finding(s)")
                return 1
        with open(os.path.join(root, "base", "uniquehandle.h"), "w") as out:
            out.write("static void Close(HANDLE h) { CloseHandle(h); }\n")
        if raw_uses(root) != []:
            print("check-handles self-test: the owning wrappers themselves were flagged")
            return 1
    print("check-handles self-test: passed")
    return 0


def main(arguments):
    if arguments[:1] == ["--self-test"]:
        return self_test()
    root = arguments[0] if arguments else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    found = raw_uses(os.path.abspath(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} raw handle release(s) outside the owning wrappers (base/uniquehandle.h);"
              " use an owner, or say why on the line: // raw handle: <reason>")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
