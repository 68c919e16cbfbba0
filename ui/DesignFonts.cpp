#include "ui/DesignFonts.h"

#include <QStringList>

namespace speclore::ui {

namespace {

const QString kGothic = QStringLiteral("ＭＳ ゴシック");
const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
constexpr double kDesignPointSize = 9.75;

void installSubstitutesOnce() {
    static const bool installed = [] {
        QFont::insertSubstitutions(kGothic,
                                   {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                                    QStringLiteral("Noto Sans CJK JP")});
        QFont::insertSubstitutions(
            kPGothic,
            {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
        return true;
    }();
    (void)installed;
}

QFont designFont(const QString& family) {
    installSubstitutesOnce();
    QFont font(family);
    font.setPointSizeF(kDesignPointSize);
    return font;
}

}  // namespace

QFont gothicFont() { return designFont(kGothic); }
QFont pGothicFont() { return designFont(kPGothic); }

}  // namespace speclore::ui
