#pragma once

// The images of the journal tree, drawn so that they read on light and dark themes alike.

#include <QIcon>
#include <QList>

// The images of the tree's four levels, in this order: the root, a year, a month, an entry.
QList<QIcon> journalTreeIcons();
