#include "frontend/RunMessages.h"

#include "app/MessageBox.h"

namespace speclore::frontend {

void showRunOutcome(bool written) {
    if (written) {
        MsgBox("テーブル仕様書の作成処理が終了しました。", vbInformation);
    } else {
        MsgBox("テーブル仕様書の作成処理中にエラーが発生しました。処理を中止します。", vbExclamation);
    }
}

}  // namespace speclore::frontend
