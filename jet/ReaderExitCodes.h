// Exit statuses of speclore-mdb-reader, shared with the engine that runs it.
#pragma once

namespace speclore::jet::reader_exit {

inline constexpr int kOk = 0;
inline constexpr int kUsage = 2;
// libmdb did not recognise the file as a database.
inline constexpr int kUnrecognised = 3;
// The file opened but its catalog, a table definition or a system table
// could not be read.
inline constexpr int kUnreadable = 4;

}  // namespace speclore::jet::reader_exit
