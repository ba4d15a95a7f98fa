#pragma once

// Writes to chosen SQLite files fail, as on a full disk or a file that refuses them.

#include <QString>

namespace testsupport {

// Makes the wrapper the default file system of SQLite; every later open goes through it.
void installFaultVfs();
enum class WriteFault { DiskFull, ReadOnly };
// Writes to `file` and its log beside it fail from now on, through every connection.
void failWrites(const QString& file, WriteFault fault);
void endWriteFaults();

} // namespace testsupport
