#pragma once
// safefile: writes a whole file so that afterwards it is either the old file
// or the new one, never a truncated or mixed copy, and says why when the new
// one could not be written.
//
// The bytes go to a temporary file beside the target (so the final rename
// stays on one file system and replaces the target in one step), named
// ".<name>.<pid>.<random>.part" so a later start can tell an abandoned one.
// Every write, the sync and the close are checked before the rename; a
// buffered writer would lose a short write on a full disk in its last flush
// and commit a truncated file. The target keeps its permissions. On any
// failure the temporary file goes and the target is untouched.
//
// Tests make any step fail through a hook, as a full disk or a failing
// device would.

#include <QByteArray>
#include <QString>
#include <functional>

namespace safefile {

enum class Step { Open, Write, Sync, Close, Rename };

// Returns the errno a step fails with, or 0 to let it run.
using Hook = std::function<int(Step step, const QString &target)>;
void setHook(Hook hook);

// The system's write(2), replaceable to simulate a disk that fills up.
using WriteFunction = std::function<qint64(int fd, const char *data, qint64 size)>;

// false, with the reason in the user's words, when the file was not replaced.
bool write(const QString &fileName, const QByteArray &bytes, QString *reason = nullptr,
           const WriteFunction &raw = WriteFunction());

// The user's words for an errno of a file operation.
QString reasonOf(int error);

} // namespace safefile
