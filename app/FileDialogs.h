// The file-open and file-save dialogs (module mGetFileNameDlg). The rules
// that decide what the dialog is asked for live here; showing it is the job
// of a FileDialogService, which the windowed program implements with Qt and
// tests implement by answering in code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace speclore {

// One entry of a dialog's file-type list: "Microsoft Excel ブック (*.xls)"
// with "*.xls". Patterns are separated by ";" as callers write them.
struct FileFilter {
    std::string description;
    std::string patterns;

    bool operator==(const FileFilter&) const = default;
};

enum class FileDialogKind { Open, Save };

// Everything a dialog needs, already resolved: the title and filters are
// never empty, the default name is either empty or one the name field may
// show.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    // The calling window, opaque here; the dialog is modal to it.
    void* owner = nullptr;
    std::string title;
    std::vector<FileFilter> filters;  // the first one is selected
    std::string initialFolder;        // "" leaves the choice to the dialog
    std::string defaultName;          // "" starts with an empty name field
    std::string defaultExtension;     // with its period (".xls"), or ""
    bool fileMustExist = false;
    bool pathMustExist = false;
    bool overwritePrompt = false;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Shows the modal dialog; the full path chosen, or "" when the person
    // cancelled or the dialog failed.
    virtual std::string show(const FileDialogRequest& request) = 0;
};

// Installs the service the dialogs use from now on (not owned); nullptr
// leaves none, and a dialog then fails with an error box.
void installFileDialogService(FileDialogService* service);

// The filter text of the callers: description and patterns of each pair,
// every element followed by one NUL character.
std::string filterText(const std::vector<FileFilter>& filters);
// The pairs of a filter text; the list ends at an empty element (the double
// NUL) and a description without patterns is dropped.
std::vector<FileFilter> parseFilterText(std::string_view text);

// Whether a default name may be placed in the name field: none of
// \ / : , ; * ? " < > | may appear in it.
bool isAcceptedDefaultName(std::string_view name);

// The chosen file's full path, or "" on cancel or failure. An empty filter
// or title gives the built-in one; a default name longer than 512
// characters is a failure, reported under the module's own error box.
std::string OpenFileDlg(void* owner, const std::string& filter, const std::string& title,
                        const std::string& initialFolder, const std::string& defaultName,
                        const std::string& defaultExtension);
std::string SaveFileDlg(void* owner, const std::string& filter, const std::string& title,
                        const std::string& initialFolder, const std::string& defaultName,
                        const std::string& defaultExtension);

}  // namespace speclore
