#include "catalog/TemplateCopy.h"

#include <filesystem>

#include "app/AppError.h"
#include "app/AtomicFile.h"

namespace speclore::catalog {

namespace {

// Far above any workbook template; keeps a wrong file from filling memory.
constexpr size_t kMaxTemplateBytes = 256u << 20;

}  // namespace

bool SameExistingFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

void CopyFileWhole(const std::string& source, const std::string& target) {
    const FileRead read = readRegularFile(source, kMaxTemplateBytes);
    if (read.status != FileReadStatus::Read) throw AppError(err::FileNotFound);
    if (replaceFileContents(target, read.bytes)) return;

    std::error_code error;
    const auto folder = std::filesystem::absolute(target, error).parent_path();
    if (!error && !std::filesystem::is_directory(folder, error)) throw AppError(err::PathNotFound);
    throw AppError(err::PermissionDenied);
}

}  // namespace speclore::catalog
