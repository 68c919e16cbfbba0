// Checks made on a database file before any reader sees it, and the
// open-failure errors with the engine's numbers and our descriptions.
#pragma once

#include <cstdint>
#include <string>

#include "app/AppError.h"

namespace speclore::jet {

enum class JetFormat { Jet3, Jet4, Ace };

struct DatabaseFileInfo {
    JetFormat format = JetFormat::Jet4;
    uint64_t fileSize = 0;
};

// The error for a failed opening: DAO's number, and a Japanese description
// naming the file, which the open-failure message shows.
AppError openError(int32_t number, const std::string& path);

// An encrypted ACE database in a scheme that we do not read (3343).
AppError unsupportedEncryptionError(const std::string& path);

// An encrypted ACE database whose encryption header is damaged or asks for
// more than we accept (3049).
AppError refusedEncryptionError(const std::string& path);

// Raises openError(3024 missing file, 3044 missing folder, 3051 unreadable,
// 3343 not an Access file, 3049 truncated or corrupt). The encryption of an
// ACE database is left to the reader, which alone parses it.
DatabaseFileInfo checkDatabaseFile(const std::string& path);

// The database password from a connect text such as ";pwd=secret"; "" when
// the text holds none.
std::string passwordFromConnect(const std::string& connect);

// Raises 3031 when the database has a password and `password` is not it.
// A database without a password opens whatever `password` holds.
void checkDatabasePassword(const std::string& path, const DatabaseFileInfo& info,
                           const std::string& password);

}  // namespace speclore::jet
