// The program's one error type: a 32-bit error number as the error box shows
// it, and a description text (the database engine's description is what the
// open-failure message quotes; the error box shows the number's standard
// text, and under it the error's reason when it has one).
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace speclore {

class AppError : public std::exception {
public:
    AppError(int32_t number, std::string description);
    // An error with the standard text of its number as description.
    explicit AppError(int32_t number);

    int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    // A sentence for the person at the box, naming what went wrong where the
    // number's standard text cannot (which file, and why); usually empty.
    const std::string& reason() const noexcept { return reason_; }
    // An error whose reason is shown in the box; it is its description too.
    static AppError withReason(int32_t number, std::string reason);
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int32_t number_;
    std::string description_;
    std::string reason_;
};

// Turns whatever is being handled in a catch block into an AppError:
// standard library failures get the runtime number that fits them.
AppError currentErrorAsAppError();

// The runtime's error number for a failed file operation's errno.
int32_t fileErrorNumber(int errnoValue);

// Error numbers that this program raises, named after what they mean.
namespace err {
// Runtime errors.
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t BadFileNameOrNumber = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t FileAlreadyOpen = 55;
inline constexpr int32_t DeviceIOError = 57;
inline constexpr int32_t FileAlreadyExists = 58;
inline constexpr int32_t DiskFull = 61;
inline constexpr int32_t PermissionDenied = 70;
inline constexpr int32_t PathFileAccessError = 75;
inline constexpr int32_t PathNotFound = 76;
inline constexpr int32_t ObjectVariableNotSet = 91;
inline constexpr int32_t InvalidUseOfNull = 94;
inline constexpr int32_t CannotCreateObject = 429;
inline constexpr int32_t ApplicationDefined = 1004;
inline constexpr int32_t ActionCancelled = 2501;
// Database engine errors, with the engine's own numbers.
inline constexpr int32_t DbNoCurrentRecord = 3021;
inline constexpr int32_t DbFileNotFound = 3024;
inline constexpr int32_t DbWorkgroupFileMissing = 3028;
inline constexpr int32_t DbInvalidAccount = 3029;
inline constexpr int32_t DbInvalidPassword = 3031;
inline constexpr int32_t DbInvalidPath = 3044;
inline constexpr int32_t DbFileInUse = 3045;
inline constexpr int32_t DbCannotOpen = 3049;
inline constexpr int32_t DbLockedOrNoPermission = 3051;
inline constexpr int32_t DbTooFewParameters = 3061;
inline constexpr int32_t DbInputTableNotFound = 3078;
inline constexpr int32_t DbAmbiguousField = 3079;
inline constexpr int32_t DbNoReadPermission = 3112;
inline constexpr int32_t DbAccountsUnreadable = 3173;
inline constexpr int32_t DbItemNotFound = 3265;
inline constexpr int32_t DbPropertyNotFound = 3270;
inline constexpr int32_t DbUnrecognizedFormat = 3343;
inline constexpr int32_t DbObjectInvalid = 3420;
inline constexpr int32_t DbSyntaxError = 3000;
}  // namespace err

}  // namespace speclore
