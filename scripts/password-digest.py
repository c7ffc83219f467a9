#!/usr/bin/env python3
"""Prints the stored form (32 hex digits) of a password that the ANSI code
page 1252 carries unchanged, computed independently of the program."""
import hashlib
import sys

password = sys.argv[1].encode("cp1252")
key = hashlib.md5(b"KVORM").digest()
key_first = sum(key) % 2 == 1
d = hashlib.md5(password).digest()
for _ in range(sum(d) % 3 + 1):
    d = hashlib.md5(key + d if key_first else d + key).digest()
print(d.hex())
