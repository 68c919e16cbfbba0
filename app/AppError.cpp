#include "app/AppError.h"

#include <cerrno>
#include <new>
#include <stdexcept>

#include "app/StandardMessages.h"

namespace speclore {

AppError::AppError(int32_t number, std::string description)
    : number_(number), description_(std::move(description)) {}

AppError::AppError(int32_t number) : AppError(number, standardMessageText(number)) {}

AppError AppError::withReason(int32_t number, std::string reason) {
    AppError error(number, reason);
    error.reason_ = std::move(reason);
    return error;
}

AppError currentErrorAsAppError() {
    try {
        throw;
    } catch (const AppError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return AppError(err::OutOfMemory);
    } catch (const std::overflow_error&) {
        return AppError(err::Overflow);
    } catch (const std::out_of_range&) {
        return AppError(err::SubscriptOutOfRange);
    } catch (const std::invalid_argument&) {
        return AppError(err::InvalidProcedureCall);
    } catch (const std::exception& e) {
        return AppError(err::ApplicationDefined, e.what());
    } catch (...) {
        return AppError(err::ApplicationDefined);
    }
}

int32_t fileErrorNumber(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return err::DiskFull;
    case EIO: return err::DeviceIOError;
    case ENAMETOOLONG: return err::BadFileNameOrNumber;
    default: return err::PathFileAccessError;
    }
}

}  // namespace speclore
