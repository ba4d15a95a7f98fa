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
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char32_t cp = QChar::toCaseFolded(nextCodePoint(text, i));
        if (QChar::requiresSurrogates(cp)) {
            folded.append(QChar(QChar::highSurrogate(cp)));
            folded.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            folded.append(QChar(char16_t(cp)));
        }
    }
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
