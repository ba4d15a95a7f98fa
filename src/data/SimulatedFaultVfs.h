#pragma once

// A SQLite VFS that behaves like a full disk: every write to any file fails with SQLITE_FULL.
// It lets tests and the fault seam of modDB exercise the real failure path of the engine.

namespace modDB::SimulatedFaultVfs {

// Registers the VFS on first use and returns its name for sqlite3_open_v2.
const char* diskFullName();

} // namespace modDB::SimulatedFaultVfs
