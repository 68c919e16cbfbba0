#include "xlsx/WorkbookPackage.h"

#include <cstring>
#include <map>
#include <string_view>

#include "app/AtomicFile.h"
#include "workbook/WorkbookError.h"
#include "xlsx/PackageRelationships.h"
#include "xlsx/XmlPart.h"

namespace speclore::xlsx {

namespace {

// Far above any template; keeps a wrong file from filling memory.
constexpr size_t kMaxPackageBytes = 256u << 20;
// The most an XML part the engine reads may inflate to (zip bombs).
constexpr size_t kMaxPartBytes = 64u << 20;

constexpr std::string_view kOle2Signature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// The stream an encrypted workbook keeps its package in, as its directory
// entry names it (UTF-16LE).
constexpr std::string_view kEncryptedPackageName =
    std::string_view("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);

constexpr std::string_view kWorkbookType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr std::string_view kStrictNamespaces = "http://purl.oclc.org/ooxml/";

void readXmlPart(const ZipPackage& zip, pugi::xml_document& document, const std::string& partName,
                 const std::string& missing) {
    std::optional<size_t> entry = zip.find(partName);
    if (!entry) workbook::throwUnreadable(missing);
    parseXmlPart(document, zip.read(*entry, kMaxPartBytes), partName, XmlReading::Values);
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string refusedTypeReason(const std::string& type) {
    if (type.find("macroEnabled") != std::string::npos)
        return "マクロ有効ブック (.xlsm など) には対応していません";
    if (type.find("template.main") != std::string::npos)
        return "テンプレート形式 (.xltx) のファイルには対応していません。.xlsx として保存し直してください";
    return "Excel ブック (.xlsx) ではありません (本体の種類: " + (type.empty() ? "不明" : type) + ")";
}

// The namespace the element's own name is in.
std::string_view namespaceOf(const pugi::xml_node& element) {
    std::string prefix = prefixOf(element);
    std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix.substr(0, prefix.size() - 1);
    return element.attribute(attribute.c_str()).value();
}

}  // namespace

WorkbookPackage::WorkbookPackage(WorkbookPackage&&) noexcept = default;
WorkbookPackage& WorkbookPackage::operator=(WorkbookPackage&&) noexcept = default;
WorkbookPackage::~WorkbookPackage() = default;

WorkbookPackage WorkbookPackage::open(const std::string& path) {
    FileRead file = readRegularFile(path, kMaxPackageBytes);
    if (file.status == FileReadStatus::Missing)
        throw AppError(err::ApplicationDefined, "'" + path + "' が見つかりません");
    if (file.status != FileReadStatus::Read)
        throw AppError(err::ApplicationDefined, "'" + path + "' を読めません");
    return fromBytes(std::move(file.bytes));
}

WorkbookPackage WorkbookPackage::fromBytes(std::string bytes) {
    if (std::string_view(bytes).substr(0, kOle2Signature.size()) == kOle2Signature) {
        if (bytes.find(kEncryptedPackageName) != std::string::npos)
            workbook::throwUnreadable("パスワードで暗号化されたブックには対応していません");
        workbook::throwUnreadable("Excel 97-2003 形式 (.xls) のファイルです。.xlsx のブックではありません");
    }
    WorkbookPackage package(ZipPackage::fromBytes(std::move(bytes)));
    package.readStructure();
    package.checkCopiedParts();
    return package;
}

void WorkbookPackage::readStructure() {
    pugi::xml_document types;
    readXmlPart(zip_, types, "[Content_Types].xml",
                "[Content_Types].xml がありません (Office Open XML のパッケージではありません)");
    pugi::xml_document packageRels;
    readXmlPart(zip_, packageRels, "_rels/.rels", "パッケージの関係 (_rels/.rels) がありません");
    std::string workbookPart;
    for (const Relationship& r : readRelationships(packageRels, "")) {
        if (!endsWith(r.type, "/officeDocument")) continue;
        if (r.type.rfind(kStrictNamespaces, 0) == 0)
            workbook::throwUnreadable("Strict Open XML 形式のブックには対応していません");
        workbookPart = r.target;
        break;
    }
    if (workbookPart.empty()) workbook::throwUnreadable("ブック本体 (officeDocument) への関係がありません");
    std::string type = contentTypeOf(types, workbookPart);
    if (type != kWorkbookType) workbook::throwUnreadable(refusedTypeReason(type));

    pugi::xml_document workbook;
    readXmlPart(zip_, workbook, workbookPart, "ブック本体の部品 " + workbookPart + " がありません");
    pugi::xml_node root = workbook.document_element();
    if (localName(root) != "workbook")
        workbook::throwUnreadable("部品 " + workbookPart + " はブックではありません");
    if (std::string_view(namespaceOf(root)).rfind(kStrictNamespaces, 0) == 0)
        workbook::throwUnreadable("Strict Open XML 形式のブックには対応していません");

    pugi::xml_document workbookRels;
    std::string relsPart = relationshipsPartOf(workbookPart);
    readXmlPart(zip_, workbookRels, relsPart, "ブックの関係 (" + relsPart + ") がありません");
    std::map<std::string, Relationship> relationships;
    std::string stylesPart;
    for (Relationship& r : readRelationships(workbookRels, workbookPart)) {
        if (endsWith(r.type, "/styles") && stylesPart.empty()) stylesPart = r.target;
        relationships.emplace(r.id, std::move(r));
    }

    pugi::xml_node sheets = childNamed(root, "sheets");
    if (!sheets) workbook::throwUnreadable("ブックにシートの一覧がありません");
    size_t worksheets = 0;
    for (pugi::xml_node node : sheets.children()) {
        if (localName(node) != "sheet") continue;
        Sheet sheet;
        sheet.name = node.attribute("name").value();
        std::string id;
        for (pugi::xml_attribute attribute : node.attributes())
            if (localName(attribute) == "id" && std::strchr(attribute.name(), ':')) id = attribute.value();
        auto relationship = relationships.find(id);
        if (relationship == relationships.end())
            workbook::throwUnreadable("シート「" + sheet.name + "」の部品への関係がありません");
        sheet.isWorksheet = endsWith(relationship->second.type, "/worksheet");
        if (sheet.isWorksheet) {
            const std::string& part = relationship->second.target;
            std::optional<size_t> entry = zip_.find(part);
            if (!entry)
                workbook::throwUnreadable("シート「" + sheet.name + "」の部品 " + part + " がありません");
            for (const Sheet& other : sheets_)
                if (other.isWorksheet && other.entry == *entry)
                    workbook::throwUnreadable("二つのシートが同じ部品 " + part + " を指しています");
            sheet.entry = *entry;
            ++worksheets;
        }
        sheets_.push_back(std::move(sheet));
    }
    if (worksheets < 2)
        workbook::throwUnreadable("ワークシートが 2 枚以上必要ですが、" + std::to_string(worksheets) +
                                  " 枚しかありません");

    if (stylesPart.empty()) workbook::throwUnreadable("ブックにスタイル (styles.xml) がありません");
    std::optional<size_t> styles = zip_.find(stylesPart);
    if (!styles) workbook::throwUnreadable("スタイルの部品 " + stylesPart + " がありません");
    stylesEntry_ = *styles;
    styles_ = std::make_unique<StyleSheet>(zip_.read(stylesEntry_, kMaxPartBytes), stylesPart);
}

// Parts the engine does not edit go into the workbook as stored, so each
// must inflate to what its checksum says and, if it is XML, be well formed:
// a damaged one would reach other readers unchanged. A worksheet's XML is
// read when the sheet is taken, or before the package is written.
void WorkbookPackage::checkCopiedParts() const {
    for (size_t entry = 0; entry < zip_.entryCount(); ++entry) {
        const std::string text = zip_.read(entry, kMaxPartBytes);
        const std::string& name = zip_.name(entry);
        bool isWorksheet = false;
        for (const Sheet& sheet : sheets_)
            isWorksheet = isWorksheet || (sheet.isWorksheet && sheet.entry == entry);
        const std::string lower = lowerAscii(name);
        if (isWorksheet || !(endsWith(lower, ".xml") || endsWith(lower, ".rels"))) continue;
        pugi::xml_document document;
        parseXmlPart(document, text, name, XmlReading::Values);
    }
}

void WorkbookPackage::checkUntakenWorksheets() const {
    for (const Sheet& sheet : sheets_) {
        if (!sheet.isWorksheet || sheet.part) continue;
        pugi::xml_document document;
        parseXmlPart(document, zip_.read(sheet.entry, kMaxPartBytes), zip_.name(sheet.entry),
                     XmlReading::Values);
    }
}

SheetPart& WorkbookPackage::worksheet(int number) {
    if (number < 1 || static_cast<size_t>(number) > sheets_.size()) throw AppError(err::SubscriptOutOfRange);
    Sheet& sheet = sheets_[static_cast<size_t>(number) - 1];
    if (!sheet.isWorksheet)
        workbook::throwInvalidArgument("シート " + std::to_string(number) + " はワークシートではありません");
    if (!sheet.part)
        sheet.part =
            std::make_unique<SheetPart>(zip_.read(sheet.entry, kMaxPartBytes), zip_.name(sheet.entry));
    return *sheet.part;
}

int WorkbookPackage::worksheetNumber(std::string_view name) const {
    for (size_t i = 0; i < sheets_.size(); ++i)
        if (sheets_[i].isWorksheet && sheets_[i].name == name) return static_cast<int>(i) + 1;
    return 0;
}

std::string WorkbookPackage::toBytes() const {
    checkUntakenWorksheets();
    // A worksheet is deflated piece by piece as its text is made, so that
    // no sheet's text is ever held whole.
    std::map<size_t, DeflatedPart> replaced;
    for (const Sheet& sheet : sheets_) {
        if (!sheet.part || !sheet.part->changed()) continue;
        DeflatedPart part;
        sheet.part->write([&](std::string_view piece) { part.append(piece); });
        part.finish();
        replaced.emplace(sheet.entry, std::move(part));
    }
    if (styles_->changed()) replaced.emplace(stylesEntry_, DeflatedPart(styles_->text()));
    return zip_.withReplacedParts(replaced);
}

void WorkbookPackage::save(const std::string& path) const {
    std::string bytes = toBytes();
    // A saved workbook must survive a crash once the save has returned.
    int failure = replaceFileWith(path, {bytes}, FolderSync::Sync);
    if (failure != 0) workbook::throwFileError(failure, path, "保存できません");
}

void WorkbookPackage::saveInPlace(const std::string& path) const {
    std::string bytes = toBytes();
    int failure = rewriteFileInPlace(path, {bytes});
    if (failure != 0) workbook::throwFileError(failure, path, "保存できません");
}

}  // namespace speclore::xlsx
