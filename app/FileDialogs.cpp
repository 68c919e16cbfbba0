#include "app/FileDialogs.h"

#include <cstddef>

#include "app/AppError.h"
#include "app/ErrorBox.h"

namespace speclore {

namespace {

FileDialogService* installedService = nullptr;

// The name field of the dialog holds 512 characters.
constexpr std::size_t kFileBufferChars = 512;

constexpr std::string_view kRefusedNameCharacters = "\\/:,;*?\"<>|";

std::size_t countCharacters(std::string_view utf8) {
    std::size_t count = 0;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

FileDialogRequest buildRequest(FileDialogKind kind, void* owner, const std::string& filter,
                               const std::string& title, const std::string& initialFolder,
                               const std::string& defaultName, const std::string& defaultExtension) {
    FileDialogRequest request;
    request.kind = kind;
    request.owner = owner;
    if (!title.empty()) {
        request.title = title;
    } else {
        request.title = kind == FileDialogKind::Open ? "ファイルを開く" : "ファイルを保存";
    }
    request.filters = parseFilterText(filter);
    if (request.filters.empty()) request.filters = {{"すべてのファイル", "*.*"}};
    request.initialFolder = initialFolder;
    if (isAcceptedDefaultName(defaultName)) {
        // Only a name that goes into the name field can overflow it; a
        // refused one is passed over silently, however long.
        if (countCharacters(defaultName) > kFileBufferChars) {
            throw AppError(err::InvalidProcedureCall);
        }
        request.defaultName = defaultName;
    }
    request.defaultExtension = defaultExtension;
    request.pathMustExist = true;
    // Only the open dialog insists on an existing file: the save dialog is
    // where the person names the workbook that a run is about to create.
    request.fileMustExist = kind == FileDialogKind::Open;
    request.overwritePrompt = kind == FileDialogKind::Save;
    return request;
}

std::string showDialog(FileDialogKind kind, const char* procedure, void* owner, const std::string& filter,
                       const std::string& title, const std::string& initialFolder,
                       const std::string& defaultName, const std::string& defaultExtension) {
    return trap(ProcTag::moduleCopy("mGetFileNameDlg", procedure), std::string(), [&] {
        FileDialogRequest request =
            buildRequest(kind, owner, filter, title, initialFolder, defaultName, defaultExtension);
        if (!installedService) throw AppError(err::CannotCreateObject);
        return installedService->show(request);
    });
}

}  // namespace

void installFileDialogService(FileDialogService* service) { installedService = service; }

std::string filterText(const std::vector<FileFilter>& filters) {
    std::string text;
    for (const FileFilter& f : filters) {
        text += f.description;
        text += '\0';
        text += f.patterns;
        text += '\0';
    }
    return text;
}

std::vector<FileFilter> parseFilterText(std::string_view text) {
    std::vector<std::string_view> elements;
    while (!text.empty()) {
        std::size_t end = text.find('\0');
        std::string_view element = text.substr(0, end);
        if (element.empty()) break;
        elements.push_back(element);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    std::vector<FileFilter> filters;
    for (std::size_t i = 0; i + 1 < elements.size(); i += 2) {
        filters.push_back({std::string(elements[i]), std::string(elements[i + 1])});
    }
    return filters;
}

bool isAcceptedDefaultName(std::string_view name) {
    return !name.empty() && name.find_first_of(kRefusedNameCharacters) == std::string_view::npos;
}

std::string OpenFileDlg(void* owner, const std::string& filter, const std::string& title,
                        const std::string& initialFolder, const std::string& defaultName,
                        const std::string& defaultExtension) {
    return showDialog(FileDialogKind::Open, "OpenFileDlg", owner, filter, title, initialFolder, defaultName,
                      defaultExtension);
}

std::string SaveFileDlg(void* owner, const std::string& filter, const std::string& title,
                        const std::string& initialFolder, const std::string& defaultName,
                        const std::string& defaultExtension) {
    return showDialog(FileDialogKind::Save, "SaveFileDlg", owner, filter, title, initialFolder, defaultName,
                      defaultExtension);
}

}  // namespace speclore
