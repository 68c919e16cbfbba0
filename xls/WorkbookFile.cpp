#include "xls/WorkbookFile.h"

#include <cstring>
#include <limits>

#include "app/AtomicFile.h"
#include "app/Invariant.h"
#include "workbook/WorkbookError.h"
#include "xls/ByteIo.h"
#include "xls/FileBytes.h"
#include "xls/RecordChecks.h"
#include "xls/RecordLayout.h"

namespace speclore::xls {

namespace {

constexpr uint16_t kBiff8Version = 0x0600;
constexpr uint16_t kBiff5Version = 0x0500;
constexpr uint16_t kGlobalsSubstream = 0x0005;
constexpr uint16_t kWorksheetSubstream = 0x0010;
// BOF record types of BIFF2 to BIFF4.
constexpr uint16_t kOldBofTypes[] = {0x0009, 0x0209, 0x0409};

// Reads one substream from its BOF to the EOF that closes it (charts
// embedded in a sheet bring BOF/EOF pairs of their own).
std::vector<BiffRecord> readSubstream(const std::string& stream, size_t& position) {
    std::vector<BiffRecord> records;
    int depth = 0;
    do {
        if (stream.size() - position < 4)
            workbook::throwUnreadable("Workbook ストリームが途中で切れています");
        uint16_t type = getU16(stream.data() + position);
        uint16_t length = getU16(stream.data() + position + 2);
        if (stream.size() - position - 4 < length)
            workbook::throwUnreadable("レコードの長さがストリームの終わりを超えています");
        if (records.empty() && type != rt::Bof) workbook::throwUnreadable("BOF レコードがありません");
        records.push_back({type, stream.substr(position + 4, length)});
        position += 4 + static_cast<size_t>(length);
        if (type == rt::Bof) ++depth;
        if (type == rt::Eof) --depth;
    } while (depth > 0);
    return records;
}

uint16_t substreamKind(const std::vector<BiffRecord>& records) {
    const std::string& bof = records.front().data;
    if (bof.size() < bofLayout::kMinSize) workbook::throwUnreadable("BOF レコードが短すぎます");
    return getU16(bof.data() + bofLayout::kKind);
}

// The sheet name of a BOUNDSHEET record: a short string of 8-bit or
// UTF-16 characters after the stream offset, visibility and sheet type.
std::u16string boundSheetName(const std::string& data) {
    constexpr size_t kNameAt = 6;
    std::u16string name;
    if (data.size() < kNameAt + 2) return name;
    const size_t length = static_cast<unsigned char>(data[kNameAt]);
    const bool wide = (data[kNameAt + 1] & 0x01) != 0;
    const size_t start = kNameAt + 2;
    for (size_t i = 0; i < length; ++i) {
        if (wide) {
            if (start + 2 * i + 1 >= data.size()) break;
            name += static_cast<char16_t>(getU16(data.data() + start + 2 * i));
        } else {
            if (start + i >= data.size()) break;
            name += static_cast<char16_t>(static_cast<unsigned char>(data[start + i]));
        }
    }
    return name;
}

}  // namespace

WorkbookFile::WorkbookFile(WorkbookFile&&) noexcept = default;
WorkbookFile& WorkbookFile::operator=(WorkbookFile&&) noexcept = default;
WorkbookFile::~WorkbookFile() = default;

WorkbookFile WorkbookFile::open(const std::string& path) {
    // No size limit of its own: the compound file's structures bound what
    // is read from it.
    FileRead read = readRegularFile(path, std::numeric_limits<size_t>::max());
    if (read.status != FileReadStatus::Read) {
        throw AppError(err::ApplicationDefined, "'" + path + "' を開けません: " + std::strerror(read.error));
    }
    return fromBytes(read.bytes);
}

WorkbookFile WorkbookFile::fromBytes(std::string_view bytes) {
    WorkbookFile workbook;
    workbook.file_ = CompoundFile::parse(bytes);
    CfbEntry* stream = workbook.file_.findRootStream(u"Workbook");
    if (!stream) {
        if (workbook.file_.findRootStream(u"Book"))
            workbook::throwUnreadable("Excel 5.0/95 以前の形式のブックには対応していません");
        workbook::throwUnreadable("Workbook ストリームがありません");
    }
    workbook.readWorkbookStream(stream->data);
    return workbook;
}

void WorkbookFile::readWorkbookStream(const std::string& stream) {
    if (stream.size() >= 2) {
        uint16_t first = getU16(stream.data());
        for (uint16_t old : kOldBofTypes)
            if (first == old) workbook::throwUnreadable("Excel 4.0 以前の形式のブックには対応していません");
    }
    size_t position = 0;
    std::vector<BiffRecord> globals = readSubstream(stream, position);
    const std::string& bof = globals.front().data;
    if (bof.size() < bofLayout::kMinSize) workbook::throwUnreadable("BOF レコードが短すぎます");
    uint16_t version = getU16(bof.data() + bofLayout::kVersion);
    if (version == kBiff5Version) workbook::throwUnreadable("Excel 5.0/95 形式のブックには対応していません");
    if (version != kBiff8Version || getU16(bof.data() + bofLayout::kKind) != kGlobalsSubstream)
        workbook::throwUnreadable("BIFF8 のブックではありません");
    checkRecordChain(globals);
    const GlobalFacts facts = checkGlobalRecords(globals);

    // Sheet substreams follow the globals; whatever comes after the last
    // one (writers pad the stream with zeros) is not part of the workbook.
    while (stream.size() - position >= 4 && getU16(stream.data() + position) == rt::Bof) {
        Substream sub;
        sub.originalOffset = static_cast<uint32_t>(position);
        sub.records = readSubstream(stream, position);
        checkRecordChain(sub.records);
        if (substreamKind(sub.records) == kWorksheetSubstream) {
            checkWorksheetRecords(sub.records, facts);
            sub.worksheet = std::make_unique<Worksheet>(std::move(sub.records));
            sub.records.clear();
        }
        substreams_.push_back(std::move(sub));
    }
    readGlobals(std::move(globals));
}

void WorkbookFile::readGlobals(std::vector<BiffRecord> records) {
    std::vector<const BiffRecord*> sstRecords;
    bool fontSeen = false, xfSeen = false, sstSeen = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const BiffRecord& r = records[i];
        switch (r.type) {
        case rt::FilePass: workbook::throwUnreadable("暗号化されたブックには対応していません");
        case rt::Font:
            if (r.data.size() < fontLayout::kFixedSize)
                workbook::throwUnreadable("FONT レコードが短すぎます");
            formats_.addTemplateFont(r.data);
            fontSeen = true;
            lastFontAt_ = globals_.size();
            break;
        case rt::Xf:
            if (r.data.size() < xfLayout::kSize) workbook::throwUnreadable("XF レコードが短すぎます");
            formats_.addTemplateXf(r.data);
            xfSeen = true;
            lastXfAt_ = globals_.size();
            break;
        case rt::Sst:
            if (sstSeen) workbook::throwUnreadable("SST レコードが二つあります");
            sstSeen = true;
            sstAt_ = globals_.size();
            sstRecords.push_back(&r);
            while (i + 1 < records.size() && records[i + 1].type == rt::Continue)
                sstRecords.push_back(&records[++i]);
            continue;
        case rt::ExtSst: continue;  // rebuilt with the SST
        case rt::BoundSheet: {
            if (r.data.size() < 8) workbook::throwUnreadable("BOUNDSHEET レコードが短すぎます");
            uint32_t offset = getU32(r.data.data());
            size_t target = substreams_.size();
            for (size_t s = 0; s < substreams_.size(); ++s)
                if (substreams_[s].originalOffset == offset) target = s;
            if (target == substreams_.size())
                workbook::throwUnreadable("シートの位置がシートの先頭を指していません");
            sheets_.push_back({globals_.size(), target});
            break;
        }
        default: break;
        }
        if (r.type == rt::Eof && !sstSeen) sstAt_ = globals_.size();
        globals_.push_back(r);
    }
    if (!fontSeen || !xfSeen || formats_.xfCount() <= kDefaultCellXf)
        workbook::throwUnreadable("ブックの書式 (FONT/XF) が不足しています");
    if (sstSeen) strings_.read(sstRecords);
}

Worksheet& WorkbookFile::worksheet(int number) {
    if (number < 1 || static_cast<size_t>(number) > sheets_.size()) throw AppError(err::SubscriptOutOfRange);
    Substream& sub = substreams_[sheets_[static_cast<size_t>(number) - 1].substream];
    if (!sub.worksheet)
        workbook::throwInvalidArgument("シート " + std::to_string(number) + " はワークシートではありません");
    return *sub.worksheet;
}

int WorkbookFile::worksheetNumber(std::u16string_view name) const {
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (!substreams_[sheets_[i].substream].worksheet) continue;
        if (boundSheetName(globals_[sheets_[i].boundSheetRecord].data) == name)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string WorkbookFile::workbookStream() const {
    size_t size = strings_.byteEstimate() + (1u << 16);
    for (const Substream& sub : substreams_) {
        if (sub.worksheet) size += sub.worksheet->byteEstimate();
        for (const auto& r : sub.records) size += 4 + r.data.size();
    }
    for (const auto& r : globals_) size += 4 + r.data.size();
    std::string out;
    out.reserve(size);

    size_t sstTotalAt = SIZE_MAX;
    std::vector<size_t> boundSheetAt(globals_.size(), SIZE_MAX);
    const bool dropXfExtensions = formats_.hasNewXfs();
    for (size_t i = 0; i < globals_.size(); ++i) {
        const BiffRecord& r = globals_[i];
        if (i == sstAt_) {
            // The text cells are counted as the sheets are written.
            sstTotalAt = out.size() + SharedStrings::kTotalReferencesAt;
            strings_.write(out, 0);
        }
        // Appended XFs invalidate the checksum and the extensions of the
        // template's XF list; both may be left out.
        if (dropXfExtensions && (r.type == rt::XfCrc || r.type == rt::XfExt)) continue;
        if (r.type == rt::BoundSheet) boundSheetAt[i] = out.size();
        if (dropXfExtensions && r.type == rt::Xf) {
            // Nor may the template's XFs announce extensions that are gone.
            std::string xf = r.data;
            setField(xf.data(), xfLayout::kHasExtension, 0);
            appendRecord(out, r.type, xf);
        } else {
            appendRecord(out, r.type, r.data);
        }
        if (i == lastFontAt_)
            for (const std::string& font : formats_.newFontRecords()) appendRecord(out, rt::Font, font);
        if (i == lastXfAt_)
            for (const auto& xf : formats_.newXfRecords())
                appendRecord(out, rt::Xf, std::string_view(xf.data(), xf.size()));
    }
    uint32_t textCells = 0;
    std::vector<uint32_t> newOffsets;
    for (const Substream& sub : substreams_) {
        newOffsets.push_back(static_cast<uint32_t>(out.size()));
        if (sub.worksheet)
            textCells += sub.worksheet->write(out);
        else
            for (const BiffRecord& r : sub.records) appendRecord(out, r.type, r.data);
    }
    SPECLORE_INVARIANT(sstTotalAt != SIZE_MAX);
    setU32(out.data() + sstTotalAt, textCells);
    for (const SheetEntry& sheet : sheets_) {
        SPECLORE_INVARIANT(boundSheetAt[sheet.boundSheetRecord] != SIZE_MAX);
        setU32(out.data() + boundSheetAt[sheet.boundSheetRecord] + 4, newOffsets[sheet.substream]);
    }
    return out;
}

std::string WorkbookFile::toBytes() const {
    std::string stream = workbookStream();
    return file_.imageReplacing(u"Workbook", stream).joined();
}

void WorkbookFile::save(const std::string& path) const {
    std::string stream = workbookStream();
    writeFileAtomically(path, file_.imageReplacing(u"Workbook", stream).pieces());
}

void WorkbookFile::saveInPlace(const std::string& path) const {
    std::string stream = workbookStream();
    writeFileInPlace(path, file_.imageReplacing(u"Workbook", stream).pieces());
}

}  // namespace speclore::xls
