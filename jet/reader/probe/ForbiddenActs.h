// The test build of the reader: after confinement it tries one forbidden
// act, so that tests can see each one refused or ending the reader.
//
//   speclore-mdb-reader-probe database <file> <act> [unconfined]
//
// acts: open-for-writing, open-file, socket, execve, ptrace,
// write-elsewhere, fork, signal, executable-memory, and "none" (the reader
// as shipped). "unconfined" skips the confinement, so that the same act can
// be seen to work without it.
#pragma once

namespace speclore::jet::reader {

inline constexpr int kActRefused = 10;
inline constexpr int kActDone = 11;
inline constexpr int kUnknownAct = 12;

// kActRefused, kActDone or kUnknownAct; a confined probe may not return.
int tryForbiddenAct(const char* act, const char* database);

}  // namespace speclore::jet::reader
