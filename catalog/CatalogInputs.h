// The main window's values that a catalog run and a database opening read,
// gathered into plain values so that both can run without any window.
#pragma once

#include <string>
#include <vector>

namespace speclore::catalog {

// What OpenMdbFile needs to open a database.
struct DatabaseLogin {
    std::string databasePath;        // full path (tag of txt処理ファイル)
    std::string databasePassword;    // txtDBパスワード
    std::string workgroupShownText;  // shown text of txtMDWファイル; empty: none chosen
    std::string workgroupPath;       // tag of txtMDWファイル, the full path
    std::string accountName;         // txtアカウント名
    std::string accountPassword;     // txtパスワード
};

struct TableListItem {
    std::string name;
    bool selected = false;
};

struct CatalogInputs {
    DatabaseLogin login;
    // The items of lst処理テーブル, top to bottom, with their selection.
    std::vector<TableListItem> tables;
    std::string tableTitle;     // txtテーブルタイトル
    std::string relationTitle;  // txtリレーションタイトル
    std::string queryTitle;     // QUERYTITLE of section "INITIAL", or --query-title
};

}  // namespace speclore::catalog
