#include "frontend/BooleanText.h"

#include <strings.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "app/AppError.h"

namespace speclore::frontend {

bool textToBoolean(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) throw AppError(err::TypeMismatch);
    std::string trimmed = text.substr(first, last - first + 1);
    if (strcasecmp(trimmed.c_str(), "True") == 0) return true;
    if (strcasecmp(trimmed.c_str(), "False") == 0) return false;
    // Only plain decimal numbers: strtod alone would also take "inf", "nan"
    // and hexadecimal forms.
    for (char c : trimmed) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '+' && c != 'e' &&
            c != 'E') {
            throw AppError(err::TypeMismatch);
        }
    }
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size()) throw AppError(err::TypeMismatch);
    if (errno == ERANGE && number != 0.0) throw AppError(err::Overflow);
    return number != 0.0;
}

}  // namespace speclore::frontend
