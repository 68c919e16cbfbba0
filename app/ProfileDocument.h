// A settings file's bytes as the Windows profile functions see them, with
// lookup and single-value replacement that leave every other byte alone.
//
// The bytes are code page 932, or UTF-8 when the file starts with a UTF-8
// byte order mark (an editor saved it so); names and values cross this
// interface as UTF-8 either way. Line ends may be CRLF or LF. A UTF-16 file
// reads as empty and is never written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace speclore {

class ProfileDocument {
public:
    explicit ProfileDocument(std::string bytes);

    // The value of the key in the first section of that name, matched
    // without regard to ASCII letter case: blanks around it dropped, one pair
    // of enclosing quotes removed, cut before a NUL and to its first
    // kLongestValue bytes in code page 932. nullopt when there is no such key.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Stores the value: the key's line is rewritten in place, or the key is
    // added after the last entry of the section, or the section is added at
    // the end. false, and nothing changed, when the names or the value cannot
    // be stored in one line (line breaks or NUL, "=" in a key, "]" in a
    // section).
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return bytes_; }

    // The longest value a read gives back, in code page 932 bytes.
    static constexpr size_t kLongestValue = 1023;

private:
    std::string bytes_;
    bool utf8_;
};

}  // namespace speclore
