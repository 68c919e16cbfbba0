// The zip container of an Office Open XML package, read from memory with
// libzip. Parts are read with a cap on their inflated size, so that a small
// file cannot unpack into gigabytes; writing gives a new package in which
// every part not replaced is copied as stored, without recompressing it,
// and the new ones are stored as deflated ahead.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xlsx/DeflatedPart.h"

namespace speclore::xlsx {

class ZipPackage {
public:
    // Raises error 1004 when the bytes are no readable zip archive.
    static ZipPackage fromBytes(std::string bytes);

    ZipPackage(ZipPackage&&) noexcept;
    ZipPackage& operator=(ZipPackage&&) noexcept;
    ~ZipPackage();

    // The entry of a part name ("xl/workbook.xml", no leading "/"), compared
    // without regard to ASCII case as part names are.
    std::optional<size_t> find(std::string_view partName) const;
    size_t entryCount() const { return names_.size(); }
    const std::string& name(size_t entry) const { return names_[entry]; }

    // The inflated part; raises error 1004 when it is damaged, encrypted or
    // larger than `maxBytes`.
    std::string read(size_t entry, size_t maxBytes) const;

    // A complete package: the entries in their order, those in `replaced`
    // with the new contents, each keeping its modification time.
    std::string withReplacedParts(const std::map<size_t, DeflatedPart>& replaced) const;

private:
    struct Archive;
    explicit ZipPackage(std::unique_ptr<Archive> archive);

    std::unique_ptr<Archive> archive_;
    std::vector<std::string> names_;
    std::map<std::string, size_t> lookup_;  // lower-case name -> entry
};

}  // namespace speclore::xlsx
