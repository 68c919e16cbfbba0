// The run's output as one transaction: the template is copied to a private
// file in the output's folder, the workbook is opened, written and saved
// there, and only a whole, synced workbook replaces the output, in one
// rename at the very end of a good run. A run that does not get there (a
// failure, a kill) leaves the output exactly as it was; its private file is
// removed, or, after a kill, by the next run into that folder.
#pragma once

#include <string>

#include "app/AtomicFile.h"

namespace speclore::catalog {

// True when both paths name one existing file, however spelled (links,
// "..", relative and absolute forms).
bool sameExistingFile(const std::string& a, const std::string& b);

class OutputTransaction {
public:
    // Clears the stale private files of killed runs from the output's folder
    // and copies the template to a private file of this run. Raises, with
    // the file named in the error's reason: 53 when the template is missing
    // or unreadable, 52 for an output name or path too long, and the file
    // error that fits otherwise (76 no such folder, 70 not writable, 61 disk
    // full ...). Nothing at the output path changes.
    OutputTransaction(const std::string& outputPath, const std::string& templatePath);

    // Where the workbook is opened and saved until commit().
    const std::string& workbookPath() const { return replacement_.stagingPath(); }

    // Puts the saved workbook at the output path (where its links lead),
    // synced; raises the file error naming the output when that fails.
    void commit();

    // What the error box says when the output cannot be written.
    std::string failureReason() const;

private:
    std::string outputPath_;
    FileReplacement replacement_;

    [[noreturn]] void throwOutputError(int errnoValue) const;
};

}  // namespace speclore::catalog
