#include "catalog/DatabaseEngine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/AppError.h"

namespace speclore::catalog {

namespace {

const std::string& descriptionOrRaise(const std::optional<std::string>& description) {
    if (!description) throw AppError(err::DbPropertyNotFound);
    return *description;
}

const std::string& textOrEmpty(const std::optional<std::string>& description) noexcept {
    static const std::string empty;
    return description ? *description : empty;
}

int32_t checkedLong(double value) {
    // VB rounds half to even when it turns a number into a Long.
    double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max())) {
        throw AppError(err::Overflow);
    }
    return static_cast<int32_t>(rounded);
}

}  // namespace

const std::string& Field::Description() const { return descriptionOrRaise(description); }

const std::string& QueryDef::Description() const { return descriptionOrRaise(description); }

const std::string& TableDef::Description() const { return descriptionOrRaise(description); }

const std::string& Field::descriptionOrEmpty() const noexcept { return textOrEmpty(description); }

const std::string& TableDef::descriptionOrEmpty() const noexcept { return textOrEmpty(description); }

const std::string& QueryDef::descriptionOrEmpty() const noexcept { return textOrEmpty(description); }

std::string FieldValue::asText() const {
    if (auto* i = std::get_if<int64_t>(&value_)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&value_)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15G", *d);
        return buffer;
    }
    if (auto* s = std::get_if<std::string>(&value_)) return *s;
    throw AppError(err::InvalidUseOfNull);
}

int32_t FieldValue::asLong() const {
    if (auto* i = std::get_if<int64_t>(&value_)) {
        if (*i < std::numeric_limits<int32_t>::min() || *i > std::numeric_limits<int32_t>::max()) {
            throw AppError(err::Overflow);
        }
        return static_cast<int32_t>(*i);
    }
    if (auto* d = std::get_if<double>(&value_)) return checkedLong(*d);
    if (auto* s = std::get_if<std::string>(&value_)) {
        char* end = nullptr;
        double parsed = std::strtod(s->c_str(), &end);
        if (s->empty() || end == s->c_str() || *end != '\0') throw AppError(err::TypeMismatch);
        return checkedLong(parsed);
    }
    throw AppError(err::InvalidUseOfNull);
}

}  // namespace speclore::catalog
