// PBKDF2-HMAC-SHA256 and random bytes from the system's bcrypt.dll, loaded
// from the system folder on first use: a password query or a lock that never
// checks a salted digest never loads it.
#pragma once

#include <cstddef>
#include <cstdint>

// False when the system cannot derive (no bcrypt.dll, or it refused).
bool DerivePbkdf2Sha256(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                        uint32_t rounds, uint8_t* key, size_t keySize);

// False when the system's random number generator failed.
bool SystemRandomBytes(uint8_t* buffer, size_t size);
