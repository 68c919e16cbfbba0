#include "catalog/OutputTransaction.h"

#include <climits>
#include <filesystem>

#include "app/AppError.h"
#include "app/StagingFiles.h"

namespace speclore::catalog {

namespace {

// Far above any workbook template; keeps a wrong file from filling memory.
constexpr size_t kMaxTemplateBytes = 256u << 20;

std::string folderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

bool sameExistingFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

OutputTransaction::OutputTransaction(const std::string& outputPath, const std::string& templatePath)
    : outputPath_(outputPath), replacement_(outputPath) {
    if (replacement_.error()) throwOutputError(replacement_.error());
    removeStaleStagingFiles(folderOf(replacement_.target()));

    const FileRead read = readRegularFile(templatePath, kMaxTemplateBytes);
    if (read.status != FileReadStatus::Read) {
        throw AppError::withReason(err::FileNotFound,
                                   read.status == FileReadStatus::Missing
                                       ? "テンプレート " + templatePath + " が見つかりません。"
                                       : "テンプレート " + templatePath + " を読み込めません。");
    }
    if (int failure = replacement_.write(read.bytes)) throwOutputError(failure);
}

void OutputTransaction::commit() {
    if (int failure = replacement_.commit(FolderSync::Sync)) throwOutputError(failure);
}

void OutputTransaction::throwOutputError(int errnoValue) const {
    if (errnoValue == ENAMETOOLONG) {
        throw AppError::withReason(
            err::BadFileNameOrNumber,
            outputPath_.size() >= PATH_MAX
                ? "出力ファイルのパスが長すぎます (" + std::to_string(PATH_MAX - 1) + " バイトまで)。"
                : "出力ファイルの名前が長すぎます (" + std::to_string(NAME_MAX) +
                      " バイトまで): " + outputPath_);
    }
    throw AppError::withReason(fileErrorNumber(errnoValue), failureReason());
}

std::string OutputTransaction::failureReason() const {
    return "出力ファイル " + outputPath_ + " に書き込めません。";
}

}  // namespace speclore::catalog
