// Exit statuses and descriptors of speclore-mdb-reader, shared with the
// engine that runs it.
#pragma once

namespace speclore::jet::reader_exit {

inline constexpr int kOk = 0;
inline constexpr int kUsage = 2;
// libmdb did not recognise the file as a database.
inline constexpr int kUnrecognised = 3;
// The file opened but its catalog, a table definition or a system table
// could not be read.
inline constexpr int kUnreadable = 4;
// The reader ran out of memory under its limit: the database is too large,
// not damaged.
inline constexpr int kTooLarge = 5;
// The reader executable could not be started (from the child between fork
// and exec, as a shell reports a command it cannot run).
inline constexpr int kCannotStart = 127;
// An encrypted ACE database: the password does not match its verifier.
inline constexpr int kWrongPassword = 6;
// An encrypted ACE database in a scheme we do not read.
inline constexpr int kUnsupportedEncryption = 7;
// An encrypted ACE database whose encryption header is damaged or beyond
// the limits we accept.
inline constexpr int kRefusedEncryption = 8;

}  // namespace speclore::jet::reader_exit

namespace speclore::jet {

// The reader's descriptors: the snapshot goes to standard output; before it
// reads the database it writes to kReaderNoticeFd the confinement mechanisms
// the kernel lacks (a line such as "Landlock"), then closes it.
inline constexpr int kReaderNoticeFd = 3;

}  // namespace speclore::jet
