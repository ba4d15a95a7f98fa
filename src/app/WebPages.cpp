#include "app/WebPages.h"

#include <QDesktopServices>

namespace WebPages {

QUrl address(Page page) {
    const QString site = QStringLiteral("https://oneirion.org");
    switch (page) {
    case Page::OnlineHelp:
        return QUrl(site + QStringLiteral("/help/"));
    case Page::Home:
        return QUrl(site + QStringLiteral("/"));
    case Page::Download:
        return QUrl(site + QStringLiteral("/download/"));
    case Page::ThankYou:
        return QUrl(site + QStringLiteral("/thank-you/"));
    }
    return QUrl();
}

void open(Page page) {
    QDesktopServices::openUrl(address(page));
}

} // namespace WebPages
