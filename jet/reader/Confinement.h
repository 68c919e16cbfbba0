// The reader's confinement. Once it has opened the database and loaded the
// text conversions it needs, the reader gives up every way to reach
// anything else, so that a file crafted to take control of libmdb can do no
// more than fail: no file opened (for writing or at all), no network, no
// new program or process, no ptrace, no writes but to its pipes.
//
//   confineReader(databaseFd) -> the mechanisms the kernel did not offer
//
// applies, in order, PR_SET_NO_NEW_PRIVS, a Landlock ruleset that handles
// every access right the kernel knows and grants none, and a seccomp
// filter that allows only what building and writing the snapshot needs:
// reading the database's descriptor, memory management without executable
// pages, writes to standard output and the notice descriptor, close, exit. Opening a file fails with
// EACCES and writing elsewhere with EPERM, so that libraries that try
// either fail gracefully; any other call ends the reader. A mechanism the
// kernel lacks is named in the result ("seccomp", "Landlock") and the
// reader goes on with the others.
#pragma once

#include <string>
#include <vector>

namespace speclore::jet::reader {

std::vector<std::string> confineReader(int databaseFd);

}  // namespace speclore::jet::reader
