#!/usr/bin/env python3
"""Prints a stored password form, computed independently of the program.

  password-digest.py PASSWORD
      the old `Password` value (32 hex digits) of a password that the ANSI
      code page 1252 carries unchanged;
  password-digest.py --salted ROUNDS SALT_HEX PASSWORD
      the `pwdDigest` value: PBKDF2-HMAC-SHA256 of the UTF-16LE text."""
import hashlib
import sys

if sys.argv[1] == "--salted":
    rounds, salt, password = int(sys.argv[2]), bytes.fromhex(sys.argv[3]), sys.argv[4]
    key = hashlib.pbkdf2_hmac("sha256", password.encode("utf-16-le"), salt, rounds, 32)
    print(f"pbkdf2-sha256${rounds}${salt.hex()}${key.hex()}")
    sys.exit(0)

password = sys.argv[1].encode("cp1252")
key = hashlib.md5(b"KVORM").digest()
key_first = sum(key) % 2 == 1
d = hashlib.md5(password).digest()
for _ in range(sum(d) % 3 + 1):
    d = hashlib.md5(key + d if key_first else d + key).digest()
print(d.hex())
