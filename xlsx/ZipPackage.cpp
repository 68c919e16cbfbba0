#include "xlsx/ZipPackage.h"

#include <zip.h>

#include <algorithm>

#include "workbook/WorkbookError.h"

namespace speclore::xlsx {

namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string zipErrorText(zip_error_t* error) { return zip_error_strerror(error); }

struct SourceCloser {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceCloser>;

// Reads the whole content of a buffer source that libzip has written.
std::string drainSource(zip_source_t* source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(source) != 0)
        workbook::throwInvalidArgument("ブックのパッケージを作れません");
    std::string bytes(static_cast<size_t>(stat.size), '\0');
    zip_int64_t got = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size)
        workbook::throwInvalidArgument("ブックのパッケージを作れません");
    return bytes;
}

// A part deflated ahead, as libzip reads it.
struct DeflatedSource {
    const DeflatedPart* part;
    zip_uint64_t position = 0;
};

zip_int64_t serveDeflatedPart(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& source = *static_cast<DeflatedSource*>(state);
    const std::string& bytes = source.part->bytes();
    switch (command) {
    case ZIP_SOURCE_OPEN: source.position = 0; return 0;
    case ZIP_SOURCE_READ: {
        const zip_uint64_t count = std::min<zip_uint64_t>(length, bytes.size() - source.position);
        std::copy_n(bytes.data() + source.position, count, static_cast<char*>(data));
        source.position += count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, nullptr);
        if (!stat) return -1;
        zip_stat_init(stat);
        // A compression method other than stored tells libzip the bytes are
        // compressed already, so it copies them as they are.
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
        stat->size = source.part->size();
        stat->comp_size = bytes.size();
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->crc = source.part->crc();
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: return zip_error_to_data(nullptr, data, length);
    case ZIP_SOURCE_FREE: return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default: return -1;
    }
}

}  // namespace

struct ZipPackage::Archive {
    std::string bytes;
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip) zip_discard(zip);
    }
};

ZipPackage::ZipPackage(std::unique_ptr<Archive> archive) : archive_(std::move(archive)) {}
ZipPackage::ZipPackage(ZipPackage&&) noexcept = default;
ZipPackage& ZipPackage::operator=(ZipPackage&&) noexcept = default;
ZipPackage::~ZipPackage() = default;

ZipPackage ZipPackage::fromBytes(std::string bytes) {
    auto archive = std::make_unique<Archive>();
    archive->bytes = std::move(bytes);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive->bytes.data(), archive->bytes.size(), 0, &error);
    if (!source) workbook::throwUnreadable("メモリが足りません");
    archive->zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive->zip) {
        zip_source_free(source);
        int code = zip_error_code_zip(&error);
        std::string detail = code == ZIP_ER_NOZIP
                                 ? "zip 形式のファイルではありません"
                                 : "zip 形式のファイルが壊れています (" + zipErrorText(&error) + ")";
        zip_error_fini(&error);
        workbook::throwUnreadable(detail);
    }
    zip_error_fini(&error);

    ZipPackage package(std::move(archive));
    zip_int64_t count = zip_get_num_entries(package.archive_->zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name =
            zip_get_name(package.archive_->zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (!name) workbook::throwUnreadable("zip の項目名を読めません");
        auto entry = static_cast<size_t>(i);
        if (!package.lookup_.emplace(lowerAscii(name), entry).second)
            workbook::throwUnreadable(std::string("同じ名前の部品が二つあります: ") + name);
        package.names_.emplace_back(name);
    }
    return package;
}

std::optional<size_t> ZipPackage::find(std::string_view partName) const {
    auto hit = lookup_.find(lowerAscii(partName));
    if (hit == lookup_.end()) return std::nullopt;
    return hit->second;
}

std::string ZipPackage::read(size_t entry, size_t maxBytes) const {
    const std::string& partName = names_[entry];
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_->zip, entry, 0, &stat) != 0)
        workbook::throwUnreadable("部品 " + partName + " を読めません");
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        workbook::throwUnreadable("部品 " + partName + " が暗号化されています");
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > maxBytes)
        workbook::throwUnreadable("部品 " + partName + " が大きすぎます");
    zip_file_t* file = zip_fopen_index(archive_->zip, entry, 0);
    if (!file) workbook::throwUnreadable("部品 " + partName + " を展開できません");
    std::string bytes;
    bytes.reserve(static_cast<size_t>(std::min<zip_uint64_t>(stat.size, maxBytes)));
    char buffer[65536];
    for (;;) {
        zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            zip_fclose(file);
            workbook::throwUnreadable("部品 " + partName + " が壊れています");
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<size_t>(got) > maxBytes) {
            zip_fclose(file);
            workbook::throwUnreadable("部品 " + partName + " が大きすぎます");
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    if (zip_fclose(file) != 0) workbook::throwUnreadable("部品 " + partName + " が壊れています");
    return bytes;
}

std::string ZipPackage::withReplacedParts(const std::map<size_t, DeflatedPart>& replaced) const {
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr target(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!target) workbook::throwInvalidArgument("メモリが足りません");
    zip_t* out = zip_open_from_source(target.get(), ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!out) workbook::throwInvalidArgument("ブックのパッケージを作れません");
    zip_source_keep(target.get());  // its bytes are read after zip_close
    auto fail = [&](const std::string& what) {
        zip_discard(out);
        workbook::throwInvalidArgument("ブックのパッケージを作れません: " + what);
    };
    // libzip reads them when the archive is closed.
    std::map<size_t, DeflatedSource> sources;
    for (const auto& [entry, part] : replaced) sources.emplace(entry, DeflatedSource{&part});
    for (size_t i = 0; i < names_.size(); ++i) {
        auto change = sources.find(i);
        zip_source_t* data = change == sources.end()
                                 ? zip_source_zip(out, archive_->zip, i, 0, 0, -1)
                                 : zip_source_function(out, serveDeflatedPart, &change->second);
        if (!data) fail(names_[i]);
        zip_int64_t added = zip_file_add(out, names_[i].c_str(), data, ZIP_FL_ENC_UTF_8);
        if (added < 0) {
            zip_source_free(data);
            fail(names_[i]);
        }
        auto index = static_cast<zip_uint64_t>(added);
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive_->zip, i, 0, &stat) == 0 && (stat.valid & ZIP_STAT_MTIME))
            zip_file_set_mtime(out, index, stat.mtime, 0);
    }
    if (zip_close(out) != 0) fail(zip_strerror(out));
    return drainSource(target.get());
}

}  // namespace speclore::xlsx
