// fItemName, the dialog that edits the 56 item names of section "CATALOG".
// It is modeless and stays above the main window that opened it, which stays
// disabled until it closes, however it closes.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

class QLineEdit;
class QPushButton;

namespace speclore::ui {

class FItemName : public QWidget {
public:
    // mainWindow is enabled again when the dialog closes.
    explicit FItemName(QWidget* mainWindow);

    // Fills every box from the settings file and shows the dialog.
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stayAboveMainWindow();

    QPointer<QWidget> mainWindow_;
    // One box per key, in key order.
    std::vector<QLineEdit*> boxes_;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

}  // namespace speclore::ui
