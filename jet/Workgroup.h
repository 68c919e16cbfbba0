// The workgroup login that DAO makes before it opens a database.
//
// A named workgroup file must exist and be a readable Jet database with an
// MSysAccounts table (else 3028), and the account must be a user in it,
// compared without regard to case (else 3029). How Jet stores account
// passwords is not public, so the password is not verified. With no file
// named, the built-in default workgroup stands in: its one user is "Admin"
// with an empty password, and both are checked.
#pragma once

#include <string>

#include "jet/ReaderProcess.h"

namespace speclore::jet {

void checkWorkgroupLogin(const std::string& readerPath, const ReaderLimits& limits,
                         const std::string& systemDb, const std::string& user, const std::string& password);

}  // namespace speclore::jet
