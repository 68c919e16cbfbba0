// What the reader raises when the file is not a database it can read
// whole: a damaged table definition, system table or property blob. Its
// exit status then tells the program the database is corrupt.
#pragma once

#include <stdexcept>

namespace speclore::jet::reader {

class UnreadableDatabase : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace speclore::jet::reader
