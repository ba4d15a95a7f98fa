#include "core/CaseFold.h"

namespace CaseFold {
namespace {

// Reads the code point at `i` and advances past it; a lone surrogate stands for itself.
char32_t nextCodePoint(QStringView text, qsizetype& i) {
    const QChar c = text[i++];
    if (c.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i++]);
    return c.unicode();
}

} // namespace

QString fold(QStringView text) {
    // Written in place: folding whole journal texts is on the way of every search.
    QString folded(text.size(), Qt::Uninitialized);
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            folded[n++] = QChar(unit >= 'A' && unit <= 'Z' ? char16_t(unit + 32) : unit);
            ++i;
            continue;
        }
        const char32_t cp = QChar::toCaseFolded(nextCodePoint(text, i));
        if (n + 2 > folded.size())
            folded.resize(n + 2 + (text.size() - i));
        if (QChar::requiresSurrogates(cp)) {
            folded[n++] = QChar(QChar::highSurrogate(cp));
            folded[n++] = QChar(QChar::lowSurrogate(cp));
        } else {
            folded[n++] = QChar(char16_t(cp));
        }
    }
    folded.truncate(n);
    return folded;
}

int compare(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const QChar ca = a[i], cb = b[j];
        // ASCII fast path: most keywords and names never leave it.
        if (ca.unicode() < 0x80 && cb.unicode() < 0x80) {
            char16_t la = ca.unicode(), lb = cb.unicode();
            if (la >= 'A' && la <= 'Z')
                la += 'a' - 'A';
            if (lb >= 'A' && lb <= 'Z')
                lb += 'a' - 'A';
            if (la != lb)
                return la < lb ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const char32_t fa = QChar::toCaseFolded(nextCodePoint(a, i));
        const char32_t fb = QChar::toCaseFolded(nextCodePoint(b, j));
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace CaseFold
