#pragma once

// Writing a whole file at once: the content goes to a temporary file beside the target, which
// takes the target's name only when every byte is on the disk. An interrupted or failed write
// leaves the target as it was, and no half file under its name.

#include "core/Result.h"

#include <QByteArray>
#include <QString>

// Fails with "PATH: reason".
Status writeFileAtomically(const QString& path, const QByteArray& content);
