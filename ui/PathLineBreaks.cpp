#include "ui/PathLineBreaks.h"

namespace speclore::ui {

namespace {

constexpr QChar kWordJoiner(0x2060);
constexpr QChar kBreakHere(0x200B);

QChar closingQuoteFor(QChar opening) {
    if (opening == QChar(0x300C)) return QChar(0x300D);  // 「 」
    if (opening == QChar(0x201C)) return QChar(0x201D);  // “ ”
    return opening;
}

bool isOpeningQuote(QChar c) {
    return c == QChar('\'') || c == QChar('"') || c == QChar(0x300C) || c == QChar(0x201C);
}

}  // namespace

QString withPathLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        const bool pathStart =
            c == QChar('/') && (i == 0 || text[i - 1].isSpace() || isOpeningQuote(text[i - 1]));
        if (!pathStart) {
            out += c;
            ++i;
            continue;
        }
        const QChar opening = i > 0 ? text[i - 1] : QChar();
        const bool quoted = isOpeningQuote(opening);
        const QChar closing = quoted ? closingQuoteFor(opening) : QChar();
        qsizetype end = i;
        while (end < text.size() && !text[end].isSpace() && !(quoted && text[end] == closing)) ++end;
        for (qsizetype k = i; k < end; ++k) {
            out += text[k];
            if (k + 1 == end) break;
            out += text[k] == QChar('/') ? kBreakHere : kWordJoiner;
        }
        i = end;
    }
    return out;
}

QString withoutPathLineBreaks(const QString& text) {
    QString out = text;
    out.remove(kWordJoiner);
    out.remove(kBreakHere);
    return out;
}

}  // namespace speclore::ui
