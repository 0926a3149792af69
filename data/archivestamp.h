#pragma once
// What this process knows of archive files it checked or rewrote itself.
//
// A full quick check reads the whole file, and start-up would run one for the
// backup, one for compaction and one for the connection. A file whose stamp
// (device, inode, size, modification and change times to the nanosecond) is
// the one it had right after a check passed, or right after our own VACUUM,
// is taken as sound without reading it again. A change the stamp could miss
// (the same size within one clock tick) cannot come from our own writes,
// which move the times.

#include <QString>

namespace archivestamp {
// The file passed a check, or was rewritten by our VACUUM, as it is now.
void markSound(const QString &path);
// It is unchanged since markSound.
bool knownSound(const QString &path);
// Our own VACUUM left it as it is now (compacting it again changes nothing).
void markCompacted(const QString &path);
bool knownCompacted(const QString &path);
} // namespace archivestamp
