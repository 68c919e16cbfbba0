// fMain's button that opens the item names dialog.
#include "app/ErrorBox.h"
#include "ui/ItemNameDialog.h"
#include "ui/MainWindow.h"

namespace speclore::ui {

void FMain::cmd項目名称設定_Click() {
    trap(ProcTag::common("fMain-cmd項目名称設定_Click"), [this] {
        if (!itemNames_) itemNames_ = new FItemName(this);
        itemNames_->Form_Load();
        // A dialog that failed to come up must not leave this window locked.
        if (itemNames_->isVisible()) setEnabled(false);
    });
}

}  // namespace speclore::ui
