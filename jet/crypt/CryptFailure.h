// Why an encrypted database cannot be unlocked. The reader turns each kind
// into its own exit status, and the engine into DAO's error.
#pragma once

#include <stdexcept>
#include <string>

namespace speclore::jet::crypt {

enum class CryptRefusal {
    // The password does not match the stored verifier (or none was given).
    WrongPassword,
    // A scheme, cipher or hash that Access does not write and we do not read.
    Unsupported,
    // The encryption header is truncated, inconsistent or beyond the limits
    // we accept (spin count, sizes, descriptor length).
    Damaged,
};

class CryptFailure : public std::runtime_error {
public:
    CryptFailure(CryptRefusal refusal, const std::string& reason)
        : std::runtime_error(reason), refusal_(refusal) {}
    CryptRefusal refusal() const { return refusal_; }

private:
    CryptRefusal refusal_;
};

inline CryptFailure damaged(const std::string& reason) { return {CryptRefusal::Damaged, reason}; }
inline CryptFailure unsupported(const std::string& reason) { return {CryptRefusal::Unsupported, reason}; }

}  // namespace speclore::jet::crypt
