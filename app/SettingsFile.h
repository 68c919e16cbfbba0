// The settings file (module mPrivateProfile): Windows profile format in code
// page 932 with CRLF line ends, read and written one value at a time.
#pragma once

#include <memory>
#include <string>

namespace speclore {

class ProfileDocument;

// The stored value, or `whenMissing` when the file, section or key is
// missing or the read fails (a failure is reported under
// "mPrivateProfile-GetIniValue"). A key present with an empty value is "".
std::string GetIniValue(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& whenMissing = std::string());

// The settings file read once, for many values that belong to one moment
// (the item names of a run): each value is what GetIniValue would have
// given at the time of the read, whatever is written to the file since.
class SettingsSnapshot {
public:
    explicit SettingsSnapshot(const std::string& file);
    ~SettingsSnapshot();
    SettingsSnapshot(SettingsSnapshot&&) noexcept;
    SettingsSnapshot& operator=(SettingsSnapshot&&) noexcept;

    std::string GetIniValue(const std::string& section, const std::string& key,
                            const std::string& whenMissing = std::string()) const;

private:
    std::unique_ptr<ProfileDocument> document_;  // none when the file cannot be read
};

// true when the value was written; false when the write was refused or
// failed (an unexpected failure is reported under
// "mPrivateProfile-SetIniValue"). The rest of the file is kept as it was.
bool SetIniValue(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace speclore
