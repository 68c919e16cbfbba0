#include "app/SettingsFile.h"

#include "app/AtomicFile.h"
#include "app/ErrorBox.h"
#include "app/ProfileDocument.h"

namespace speclore {

namespace {

// A settings file is a few kilobytes; anything far larger is not one, and is
// neither read nor rewritten.
constexpr size_t kLargestSettingsFile = 16 * 1024 * 1024;

}  // namespace

std::string GetIniValue(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& whenMissing) {
    return trap(ProcTag::moduleCopy("mPrivateProfile", "GetIniValue"), whenMissing, [&] {
        // Like the Windows reader, a file that cannot be read gives the default.
        FileRead read = readRegularFile(file, kLargestSettingsFile);
        if (read.status != FileReadStatus::Read) return whenMissing;
        return ProfileDocument(std::move(read.bytes)).value(section, key).value_or(whenMissing);
    });
}

bool SetIniValue(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
    return trap(ProcTag::moduleCopy("mPrivateProfile", "SetIniValue"), false, [&] {
        FileRead read = readRegularFile(file, kLargestSettingsFile);
        // A file that exists but cannot be read must not be replaced by one
        // holding only the new value.
        if (read.status == FileReadStatus::Unreadable) return false;
        ProfileDocument document(std::move(read.bytes));
        if (!document.setValue(section, key, value)) return false;
        return replaceFileContents(file, document.bytes());
    });
}

}  // namespace speclore
