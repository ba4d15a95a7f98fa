#pragma once

// Pages of the product's web site, opened in the user's browser. The program does not wait for
// the browser, and a page that cannot be opened is not the user's problem here.

#include <QUrl>

namespace WebPages {

enum class Page { OnlineHelp, Home, Download, ThankYou };

QUrl address(Page page);
void open(Page page);

} // namespace WebPages
