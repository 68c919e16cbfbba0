#include "workbook/WorkbookError.h"

#include <cstring>

namespace speclore::workbook {

void throwUnreadable(const std::string& detail) {
    throw AppError(err::ApplicationDefined, "ブックを読み込めません: " + detail);
}

void throwInvalidArgument(const std::string& detail) {
    throw AppError(err::ApplicationDefined,
                   "アプリケーション定義またはオブジェクト定義のエラーです。(" + detail + ")");
}

void throwFileError(int errnoValue, const std::string& path, const std::string& action) {
    throw AppError(fileErrorNumber(errnoValue), action + " '" + path + "': " + std::strerror(errnoValue));
}

}  // namespace speclore::workbook
