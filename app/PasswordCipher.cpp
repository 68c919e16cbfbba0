#include "app/PasswordCipher.h"

#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <mutex>

#include "app/AppError.h"
#include "app/AppGlobals.h"
#include "app/Cp932.h"
#include "app/ErrorBox.h"
#include "app/InstallLayout.h"

namespace speclore {

namespace {

// "Specified DLL function not found": the library loaded, the export did not.
constexpr int32_t kLibraryFunctionNotFound = 453;

constexpr const char* kLibraryName = "_blowfish.so";

using CipherFunction = int32_t (*)(const char* key, const char* text, char* output);

// The binding to the cipher library, made on first use and kept for the
// run. A failed load or lookup is tried again on the next call, so each call
// reports its own failure.
class CipherLibrary {
public:
    CipherFunction function(const char* name, CipherFunction& slot) {
        std::lock_guard lock(mutex_);
        if (slot != nullptr) return slot;
        if (handle_ == nullptr) handle_ = load();
        if (handle_ == nullptr) throw AppError(err::FileNotFound);
        slot = reinterpret_cast<CipherFunction>(dlsym(handle_, name));
        if (slot == nullptr) throw AppError(kLibraryFunctionNotFound);
        return slot;
    }

    CipherFunction encode() { return function("BlowFishEncode", encode_); }
    CipherFunction decode() { return function("BlowFishDecode", decode_); }

private:
    // The program's own folder first, then the installed library folder,
    // then the usual library search.
    static void* load() {
        const std::string& folder = appGlobals().programFolder;
        if (!folder.empty()) {
            const std::string path = findProgramFile(folder, kLibraryName, ProgramFileKind::Library);
            if (void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
        }
        return dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    }

    std::mutex mutex_;
    void* handle_ = nullptr;
    CipherFunction encode_ = nullptr;
    CipherFunction decode_ = nullptr;
};

CipherLibrary& cipherLibrary() {
    static CipherLibrary library;
    return library;
}

// Calls the library on code page 932 bytes with an output buffer that holds
// any result (833 bytes at most); its result value tells nothing more than
// an empty output does.
std::string callCipher(CipherFunction function, const std::string& key, const std::string& text) {
    std::array<char, 1024> output{};
    function(utf8ToCp932(key).c_str(), utf8ToCp932(text).c_str(), output.data());
    output.back() = '\0';
    return cp932ToUtf8(output.data());
}

}  // namespace

std::string BFEncode(const std::string& key, const std::string& text) {
    return trap(ProcTag::moduleCopy("mBlowfish", "BFEncode"), std::string(),
                [&] { return callCipher(cipherLibrary().encode(), key, text); });
}

std::string BFDecode(const std::string& key, const std::string& text) {
    return trap(ProcTag::moduleCopy("mBlowfish", "BFDecode"), std::string(),
                [&] { return callCipher(cipherLibrary().decode(), key, text); });
}

}  // namespace speclore
