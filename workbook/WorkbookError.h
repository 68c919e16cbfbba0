// How the workbook engines report failures: numbered errors as the
// spreadsheet application raised them, with a description that says what
// was wrong.
#pragma once

#include <string>

#include "app/AppError.h"

namespace speclore::workbook {

// The workbook file cannot be read or is of a kind the engine does not edit:
// damaged, truncated, an unsupported version, encrypted (error 1004).
[[noreturn]] void throwUnreadable(const std::string& detail);

// A call the workbook cannot carry out with the arguments given (error 1004).
[[noreturn]] void throwInvalidArgument(const std::string& detail);

// An operating-system failure while reading or writing `path`, numbered
// after errno as the runtime numbers file errors.
[[noreturn]] void throwFileError(int errnoValue, const std::string& path, const std::string& action);

}  // namespace speclore::workbook
