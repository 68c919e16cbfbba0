// fMain's controls, in tab order, at their design positions in twips.
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/FormControls.h"
#include "ui/MainWindow.h"

namespace speclore::ui {

namespace {

constexpr int32_t kClientWidth = 7650;
constexpr int32_t kBasicAreaBottom = 4860;
constexpr int32_t kAdvancedAreaBottom = 8760;
constexpr int kTextLimit = 100;

constexpr Qt::Alignment kRight = Qt::AlignRight;
constexpr Qt::Alignment kLeft = Qt::AlignLeft;

}  // namespace

FMain::FMain(MainWindowEngines engines) : QWidget(nullptr), engines_(engines) {
    setObjectName(QStringLiteral("fMain"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Morvane Ver"));
    fixClientSizeInTwips(this, kClientWidth, kBasicAreaBottom);
    createControls();
    connectCommands();
}

FMain::~FMain() { delete itemNames_.data(); }

void FMain::createControls() {
    QWidget* f = this;
    const TextBoxOptions limited{kTextLimit, false, false};
    const TextBoxOptions masked{kTextLimit, true, false};
    const TextBoxOptions pathBox{0, false, true};

    Label11 =
        addLabel(f, "Label11", "処理の対象となるMDBファイルを選択してください", {225, 225, 5370, 300}, kLeft);
    addLabel(f, "Label12", "処理ファイル", {240, 585, 1305, 300}, kRight);
    txt処理ファイル = addTextBox(f, "txt処理ファイル", {1665, 540, 4740, 300}, pathBox);
    cmd処理ファイル参照 = addButton(f, "cmd処理ファイル参照", "参照", {6480, 540, 960, 300});
    addLabel(f, "Label21", "処理の対象となるテーブルを選択してください", {225, 1125, 5370, 300}, kLeft);
    addLabel(f, "Label22", "対象テーブル", {240, 1485, 1305, 300}, kRight);
    lst処理テーブル = addMultiSelectList(f, "lst処理テーブル", {1665, 1440, 4740, 2400});
    cmd全て選択 = addButton(f, "cmd全て選択", "全て選択", {6480, 1440, 960, 300});
    cmd全て解除 = addButton(f, "cmd全て解除", "全て解除", {6480, 1830, 960, 300});
    cmd処理開始 = addButton(f, "cmd処理開始", "処理を開始", {5850, 4050, 1590, 570});
    cmd詳細設定 = addButton(f, "cmd詳細設定", "詳細設定 >>", {180, 4275, 1410, 345});

    addLabel(f, "Label41", "DBパスワード", {240, 5205, 1305, 300}, kRight);
    txtDBパスワード = addTextBox(f, "txtDBパスワード", {1665, 5160, 2580, 300}, masked);
    addLabel(f, "Label31", "ワークグループ情報", {225, 5565, 5370, 300}, kLeft);
    addLabel(f, "Label32", "MDWファイル", {240, 5925, 1305, 300}, kRight);
    txtMDWファイル = addTextBox(f, "txtMDWファイル", {1665, 5880, 4740, 300}, pathBox);
    cmdMDWファイル参照 = addButton(f, "cmdMDWファイル参照", "参照", {6480, 5880, 960, 300});
    addLabel(f, "Label33", "アカウント名", {240, 6285, 1305, 300}, kRight);
    txtアカウント名 = addTextBox(f, "txtアカウント名", {1665, 6240, 2580, 300}, limited);
    addLabel(f, "Label34", "パスワード", {240, 6645, 1305, 300}, kRight);
    txtパスワード = addTextBox(f, "txtパスワード", {1665, 6600, 2580, 300}, masked);
    cmdMDW情報クリア =
        addButton(f, "cmdMDW情報クリア", "ワークグループ情報をクリア", {4920, 6600, 2520, 300});
    addLabel(f, "Label1", "出力ファイルタイトル", {240, 7005, 5370, 300}, kLeft);
    addLabel(f, "Label51", "テーブル", {240, 7365, 1305, 300}, kRight);
    txtテーブルタイトル = addTextBox(f, "txtテーブルタイトル", {1665, 7320, 4740, 300}, limited);
    addLabel(f, "Label2", "リレーション", {240, 7725, 1305, 300}, kRight);
    txtリレーションタイトル = addTextBox(f, "txtリレーションタイトル", {1665, 7680, 4740, 300}, limited);
    addLabel(f, "Label3", "出力項目名称", {240, 8250, 1305, 300}, kRight);
    cmd項目名称設定 = addButton(f, "cmd項目名称設定", "設定画面を開く", {1680, 8190, 1800, 345});

    Line01 = addHorizontalLine(f, "Line01", 0, kBasicAreaBottom, kClientWidth);
    Line02 = addHorizontalLine(f, "Line02", 0, kAdvancedAreaBottom, kClientWidth);

    QWidget* tabOrder[] = {
        txt処理ファイル, cmd処理ファイル参照, lst処理テーブル,  cmd全て選択,         cmd全て解除,
        cmd処理開始,     cmd詳細設定,         txtDBパスワード,  txtMDWファイル,      cmdMDWファイル参照,
        txtアカウント名, txtパスワード,       cmdMDW情報クリア, txtテーブルタイトル, txtリレーションタイトル,
        cmd項目名称設定};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void FMain::connectCommands() {
    auto on = [this](QPushButton* button, void (FMain::*procedure)()) {
        connect(button, &QPushButton::clicked, this, [this, procedure] { (this->*procedure)(); });
    };
    on(cmd処理ファイル参照, &FMain::cmd処理ファイル参照_Click);
    on(cmd全て選択, &FMain::cmd全て選択_Click);
    on(cmd全て解除, &FMain::cmd全て解除_Click);
    on(cmd処理開始, &FMain::cmd処理開始_Click);
    on(cmd詳細設定, &FMain::cmd詳細設定_Click);
    on(cmdMDWファイル参照, &FMain::cmdMDWファイル参照_Click);
    on(cmdMDW情報クリア, &FMain::cmdMDW情報クリア_Click);
    on(cmd項目名称設定, &FMain::cmd項目名称設定_Click);
}

}  // namespace speclore::ui
