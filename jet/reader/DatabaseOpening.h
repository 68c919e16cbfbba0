// The reader's unlocking step, before libmdb reads anything and before the
// reader confines itself: an ACE database that Access encrypted with a
// password is unlocked with the password read from standard input (never
// from the command line, which every user can see) and checked against its
// verifier, reading nothing but page 0. Its pages are then decrypted as
// libmdb reads them (DatabaseFile), in this process's memory only: no
// decrypted byte reaches a file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "jet/crypt/PageDecryptor.h"

namespace speclore::jet::reader {

// Whether `start` (at least page 0) is an ACE database with encrypted pages.
bool isEncryptedAce(std::span<const uint8_t> start);

// Page 0 as libmdb must see it once the pages are decrypted: the encoding
// key cleared, so that it reads them as they are.
void clearEncodingKey(std::span<uint8_t> headerPage);

// The decryptor of the database open on `fd`, or nullptr when it is not
// encrypted. Raises crypt::CryptFailure (a wrong or missing password among
// them).
std::unique_ptr<crypt::PageDecryptor> unlockDatabaseFile(int fd);

}  // namespace speclore::jet::reader
