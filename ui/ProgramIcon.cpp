#include "ui/ProgramIcon.h"

namespace speclore::ui {

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/speclore/icons/%1x%1/speclore.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace speclore::ui
