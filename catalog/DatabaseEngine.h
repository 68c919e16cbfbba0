// What the catalog run and the table list ask of the database engine: an
// engine per opening, an open database, its table definitions with fields
// and indexes, and snapshot recordsets of SQL text. Shaped after DAO, whose
// answers the implementation reproduces; errors are AppError with DAO's
// numbers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace speclore::catalog {

// Field.Type codes.
inline constexpr int16_t dbBoolean = 1;
inline constexpr int16_t dbByte = 2;
inline constexpr int16_t dbInteger = 3;
inline constexpr int16_t dbLong = 4;
inline constexpr int16_t dbCurrency = 5;
inline constexpr int16_t dbSingle = 6;
inline constexpr int16_t dbDouble = 7;
inline constexpr int16_t dbDate = 8;
inline constexpr int16_t dbBinary = 9;
inline constexpr int16_t dbText = 10;
inline constexpr int16_t dbLongBinary = 11;
inline constexpr int16_t dbMemo = 12;
inline constexpr int16_t dbGUID = 15;
inline constexpr int16_t dbBigInt = 16;
inline constexpr int16_t dbVarBinary = 17;
inline constexpr int16_t dbDecimal = 20;

// Field.Attributes bits.
inline constexpr int32_t dbFixedField = 0x1;
inline constexpr int32_t dbVariableField = 0x2;
inline constexpr int32_t dbAutoIncrField = 0x10;
inline constexpr int32_t dbHyperlinkField = 0x8000;

// Field.CollatingOrder: values below this mark a GUID AutoNumber column.
inline constexpr int32_t dbSortNeutral = 1024;

// TableDef.Attributes bits.
inline constexpr int32_t dbSystemObject = static_cast<int32_t>(0x80000002u);
inline constexpr int32_t dbHiddenObject = 0x1;
inline constexpr int32_t dbAttachedTable = 0x40000000;
inline constexpr int32_t dbAttachedODBC = 0x20000000;

// Relation attribute bits, as MSysRelationships.grbit stores them.
inline constexpr int32_t dbRelationUnique = 0x1;
inline constexpr int32_t dbRelationDontEnforce = 0x2;
inline constexpr int32_t dbRelationUpdateCascade = 0x100;
inline constexpr int32_t dbRelationDeleteCascade = 0x1000;
inline constexpr int32_t dbRelationLeft = 0x1000000;
inline constexpr int32_t dbRelationRight = 0x2000000;

// Recordset types.
inline constexpr int dbOpenSnapshot = 4;

// QueryDef.Type codes.
inline constexpr int32_t dbQSelect = 0;
inline constexpr int32_t dbQCrosstab = 16;
inline constexpr int32_t dbQDelete = 32;
inline constexpr int32_t dbQUpdate = 48;
inline constexpr int32_t dbQAppend = 64;
inline constexpr int32_t dbQMakeTable = 80;
inline constexpr int32_t dbQDDL = 96;
inline constexpr int32_t dbQSQLPassThrough = 112;
inline constexpr int32_t dbQSetOperation = 128;

struct Field {
    std::string name;
    int16_t type = 0;
    int32_t size = 0;
    int32_t attributes = 0;
    int32_t collatingOrder = 0;
    std::optional<std::string> description;

    // Properties("Description").Value; raises 3270 when the field has none.
    const std::string& Description() const;
    // The same text without raising: the empty text when there is none.
    // Most fields have none, so the sheet writers ask this way.
    const std::string& descriptionOrEmpty() const noexcept;
};

struct Index {
    std::string name;
    bool primary = false;
    bool unique = false;
    bool foreign = false;
    // Names of the index's fields, in key order.
    std::vector<std::string> fields;
};

struct TableDef {
    std::string name;
    int32_t attributes = 0;
    // In definition order.
    std::vector<Field> fields;
    std::vector<Index> indexes;
    std::optional<std::string> description;

    // Properties("Description").Value; raises 3270 when the table has none.
    const std::string& Description() const;
    // The same text without raising: the empty text when there is none.
    const std::string& descriptionOrEmpty() const noexcept;
};

struct QueryDef {
    std::string name;
    int32_t type = dbQSelect;
    // The text of the query's SQL view, lines ending in CR LF. A definition
    // that cannot be read whole gives what can be read followed by a line
    // that says what is missing.
    std::string sql;
    std::optional<std::string> description;
    // Not DAO's: the tables and queries the query reads from, in the order
    // the definition names them, each once.
    std::vector<std::string> sourceTables;

    // Properties("Description").Value; raises 3270 when the query has none.
    const std::string& Description() const;
    // The same text without raising: the empty text when there is none.
    const std::string& descriptionOrEmpty() const noexcept;
};

// A value of a recordset column.
class FieldValue {
public:
    FieldValue() = default;
    explicit FieldValue(int64_t v) : value_(v) {}
    explicit FieldValue(double v) : value_(v) {}
    explicit FieldValue(std::string v) : value_(std::move(v)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
    // The value as text, as VB's conversion gives it; Null raises 94.
    std::string asText() const;
    // The value as a 32-bit integer; Null raises 94, out of range 6,
    // text that is no number 13.
    int32_t asLong() const;

private:
    std::variant<std::monostate, int64_t, double, std::string> value_;
};

class Recordset {
public:
    virtual ~Recordset() = default;
    virtual bool Eof() const = 0;
    virtual bool Bof() const = 0;
    // Fields(name).Value of the current row; raises 3265 for an unknown
    // name and 3021 when there is no current row.
    virtual FieldValue Fields(const std::string& name) const = 0;
    virtual void MoveNext() = 0;
    virtual void Close() = 0;
};

class Database {
public:
    virtual ~Database() = default;
    // Every table definition, in the engine's order.
    virtual const std::vector<TableDef>& TableDefs() const = 0;
    // TableDefs(name); raises 3265 when there is none of that name.
    virtual const TableDef& TableDefs(const std::string& name) const = 0;
    // Every saved query, in the engine's order.
    virtual const std::vector<QueryDef>& QueryDefs() const = 0;
    virtual std::unique_ptr<Recordset> OpenRecordset(const std::string& sql, int type) = 0;
    virtual void Close() = 0;
};

// One DBEngine: set the workgroup login, then open a database.
class DbEngine {
public:
    virtual ~DbEngine() = default;
    virtual void SetSystemDB(const std::string& path) = 0;
    virtual void SetDefaultUser(const std::string& user) = 0;
    virtual void SetDefaultPassword(const std::string& password) = 0;
    // connect is "" or ";pwd=" followed by the database password. Raises an
    // AppError whose description is the text the open-failure message shows.
    virtual std::unique_ptr<Database> OpenDatabase(const std::string& name, bool exclusive, bool readOnly,
                                                   const std::string& connect) = 0;
};

// Makes a fresh engine for each opening.
class DbEngineFactory {
public:
    virtual ~DbEngineFactory() = default;
    virtual std::unique_ptr<DbEngine> NewEngine() = 0;
};

}  // namespace speclore::catalog
