#include "app/SettingsFile.h"

#include "app/AtomicFile.h"
#include "app/ErrorBox.h"
#include "app/ProfileDocument.h"

namespace speclore {

namespace {

// A settings file is a few kilobytes; anything far larger is not one, and is
// neither read nor rewritten.
constexpr size_t kLargestSettingsFile = 16 * 1024 * 1024;

constexpr const char* kModule = "mPrivateProfile";

}  // namespace

SettingsSnapshot::SettingsSnapshot(const std::string& file) {
    // Like the Windows reader, a file that cannot be read gives the defaults.
    trap(ProcTag::moduleCopy(kModule, "GetIniValue"), [&] {
        FileRead read = readRegularFile(file, kLargestSettingsFile);
        if (read.status == FileReadStatus::Read)
            document_ = std::make_unique<ProfileDocument>(std::move(read.bytes));
    });
}

SettingsSnapshot::~SettingsSnapshot() = default;
SettingsSnapshot::SettingsSnapshot(SettingsSnapshot&&) noexcept = default;
SettingsSnapshot& SettingsSnapshot::operator=(SettingsSnapshot&&) noexcept = default;

std::string SettingsSnapshot::GetIniValue(const std::string& section, const std::string& key,
                                          const std::string& whenMissing) const {
    if (!document_) return whenMissing;
    return trap(ProcTag::moduleCopy(kModule, "GetIniValue"), whenMissing,
                [&] { return document_->value(section, key).value_or(whenMissing); });
}

std::string GetIniValue(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& whenMissing) {
    return SettingsSnapshot(file).GetIniValue(section, key, whenMissing);
}

bool SetIniValue(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
    return trap(ProcTag::moduleCopy(kModule, "SetIniValue"), false, [&] {
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
