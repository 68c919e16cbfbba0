#include "app/AppError.h"

#include <new>
#include <stdexcept>

#include "app/StandardMessages.h"

namespace speclore {

AppError::AppError(int32_t number, std::string description)
    : number_(number), description_(std::move(description)) {}

AppError::AppError(int32_t number) : AppError(number, standardMessageText(number)) {}

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

}  // namespace speclore
