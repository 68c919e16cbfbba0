// The item names: the 56 headings and captions that the run writes into the
// workbook, kept in section "CATALOG" of the settings file. The run and the
// item names dialog share one key table, always walked in this order.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace speclore::catalog {

// Positions in the key table; the enumerators carry the keys' own names.
enum class Item : std::size_t {
    ctTitleA,
    ctTitleB,
    ctTitleC,
    ctTitleD,
    ctTitleE,
    ctTitleF,
    ctText,
    ctMemo,
    ctNum,
    ctDate,
    ctCurrency,
    ctAutoNum,
    ctBoolean,
    ctObject,
    ctHyperLink,
    ctByte,
    ctInteger,
    ctLong,
    ctSingle,
    ctDouble,
    ctReplication,
    ctDecimal,
    ctPrimary,
    ctRepeatN,
    ctRepeatY,
    crTitleA,
    crTitleB,
    crTitleC,
    crTitleD,
    crTitleE,
    crTitleF,
    crTitleG,
    crTitleH,
    crTitleI,
    crTitleJ,
    crToOne,
    crToMany,
    crInner,
    crLeft,
    crRight,
    crYes,
    cqTitleA,
    cqTitleB,
    cqTitleC,
    cqTitleD,
    cqTitleE,
    cqTitleF,
    cqSelect,
    cqCrosstab,
    cqMakeTable,
    cqAppend,
    cqUpdate,
    cqDelete,
    cqUnion,
    cqPassThrough,
    cqDataDefinition,
};

struct ItemNameKey {
    const char* key;    // the key in section "CATALOG"
    const char* label;  // what the item names dialog shows beside its entry
    // What a settings file without the key gives. The query sheet's captions
    // came after the others, so a user's settings file copied before then
    // lacks them; they fall back to the shipped texts rather than leaving
    // the sheet's headings blank. The older keys keep giving "".
    const char* whenMissing = "";
};

inline constexpr std::size_t kItemCount = 56;
// The first kTableItemCount keys caption the table sheet, those up to
// kRelationItemEnd the relationship sheet, the rest the query sheet; the
// dialog shows them in three frames on that split.
inline constexpr std::size_t kTableItemCount = 25;
inline constexpr std::size_t kRelationItemEnd = 41;

inline constexpr const char* kItemNamesSection = "CATALOG";

inline constexpr std::array<ItemNameKey, kItemCount> kItemNameKeys = {{
    {"ctTitleA", "NO"},
    {"ctTitleB", "項目名称"},
    {"ctTitleC", "タイプ"},
    {"ctTitleD", "サイズ"},
    {"ctTitleE", "インデックス"},
    {"ctTitleF", "項目説明"},
    {"ctText", "ﾃｷｽﾄ型"},
    {"ctMemo", "ﾒﾓ型"},
    {"ctNum", "数値型"},
    {"ctDate", "日付/時刻型"},
    {"ctCurrency", "通貨型"},
    {"ctAutoNum", "ｵｰﾄﾅﾝﾊﾞｰ型"},
    {"ctBoolean", "Yes/No型"},
    {"ctObject", "OLEｵﾌﾞｼﾞｪｸﾄ型"},
    {"ctHyperLink", "ﾊｲﾊﾟｰﾘﾝｸ型"},
    {"ctByte", "ﾊﾞｲﾄ型"},
    {"ctInteger", "整数型"},
    {"ctLong", "長整数型"},
    {"ctSingle", "単精度浮動型"},
    {"ctDouble", "倍精度浮動型"},
    {"ctReplication", "ﾚﾌﾟﾘｹｰｼｮﾝID型"},
    {"ctDecimal", "十進型"},
    {"ctPrimary", "PrimaryKey"},
    {"ctRepeatN", "はい (重複なし)"},
    {"ctRepeatY", "はい (重複あり)"},
    {"crTitleA", "NO"},
    {"crTitleB", "外部参照テーブル名"},
    {"crTitleC", "外部参照項目名"},
    {"crTitleD", "参照先テーブル名"},
    {"crTitleE", "参照先項目名"},
    {"crTitleF", "リレーション"},
    {"crTitleG", "参照整合性"},
    {"crTitleH", "連鎖更新"},
    {"crTitleI", "連鎖削除"},
    {"crTitleJ", "結合"},
    {"crToOne", "一対一"},
    {"crToMany", "一対多"},
    {"crInner", "INNER"},
    {"crLeft", "LEFT"},
    {"crRight", "RIGHT"},
    {"crYes", "○"},
    {"cqTitleA", "NO", "NO"},
    {"cqTitleB", "クエリ名", "クエリ名"},
    {"cqTitleC", "種類", "種類"},
    {"cqTitleD", "SQL", "SQL"},
    {"cqTitleE", "元のテーブル", "元のテーブル"},
    {"cqTitleF", "説明", "説明"},
    {"cqSelect", "選択", "選択クエリ"},
    {"cqCrosstab", "クロス集計", "クロス集計クエリ"},
    {"cqMakeTable", "テーブル作成", "テーブル作成クエリ"},
    {"cqAppend", "追加", "追加クエリ"},
    {"cqUpdate", "更新", "更新クエリ"},
    {"cqDelete", "削除", "削除クエリ"},
    {"cqUnion", "ユニオン", "ユニオンクエリ"},
    {"cqPassThrough", "パススルー", "パススルークエリ"},
    {"cqDataDefinition", "データ定義", "データ定義クエリ"},
}};

// The values of one run, read once at its start.
class ItemNames {
public:
    const std::string& operator[](Item item) const { return values_[static_cast<std::size_t>(item)]; }
    void set(Item item, std::string value) { values_[static_cast<std::size_t>(item)] = std::move(value); }

private:
    std::array<std::string, kItemCount> values_;
};

// Reads the 56 values from section "CATALOG" of the settings file, read
// once, in key order; a missing key or file gives the empty text.
ItemNames readItemNames(const std::string& iniPath);

}  // namespace speclore::catalog
