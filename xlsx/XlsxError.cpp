#include "xlsx/XlsxError.h"

#include <cerrno>
#include <cstring>

namespace speclore::xlsx {

void throwUnreadable(const std::string& detail) {
    throw AppError(err::ApplicationDefined, "ブックを読み込めません: " + detail);
}

void throwInvalidArgument(const std::string& detail) {
    throw AppError(err::ApplicationDefined,
                   "アプリケーション定義またはオブジェクト定義のエラーです。(" + detail + ")");
}

void throwFileError(int errnoValue, const std::string& path, const std::string& action) {
    int32_t number = err::PathFileAccessError;
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR: number = err::PathNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: number = err::PermissionDenied; break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: number = err::DiskFull; break;
    case EIO: number = err::DeviceIOError; break;
    case ENAMETOOLONG: number = err::BadFileNameOrNumber; break;
    default: break;
    }
    throw AppError(number, action + " '" + path + "': " + std::strerror(errnoValue));
}

}  // namespace speclore::xlsx
