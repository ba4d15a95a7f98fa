#pragma once

// The four images of the journal tree: the root, a year, a month and an entry.

#include <QIcon>
#include <QList>

QList<QIcon> DreamTreeImages();
