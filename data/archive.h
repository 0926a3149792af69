#pragma once
// Archive files: SQLite databases named "<archive name>.mdb" holding the
// diary's two tables. Column kinds live in the declared column types:
//   INTEGER PRIMARY KEY AUTOINCREMENT  Long, auto-increment
//   INT / INTEGER / LONG   Long          SMALLINT  Integer     TINYINT  Byte
//   BIT / BOOLEAN          Boolean       DOUBLE    Double      SINGLE   Single
//   CURRENCY               Currency      DATETIME  Date (ISO-8601 text)
//   VARCHAR(n)             Text of size n               TEXT / MEMO  Memo
//   BINARY(n)              Binary        BLOB / LONGBINARY  LongBinary
// NOT NULL is Required; DEFAULT is the default value. Field properties such as
// a Date field's "Format" are rows of an optional table
//   tonalba_properties(table_name, field_name, name, value)
// which, like SQLite's own tables, counts as a system object.
//
// Copies are always taken through SQLite (its backup API), never by copying
// bytes, so a copy is a consistent database even when a crash left a journal.

#include <QString>

class TArchive
{
public:
    // Creates an empty archive: Diario without rows, Intestazione with its one
    // row (Nome "Inserire nome"). Refuses an existing file. Throws EDaoError.
    static void create(const QString &path);
    // Copies an archive through SQLite into target, replacing it atomically when
    // it exists. A source that fails SQLite's quick check is refused
    // (errNotADatabase), so a damaged archive never replaces a good copy.
    // Throws EDaoError; the target is untouched on failure.
    static void copy(const QString &source, const QString &target);
    // Throws EDaoError (errNotADatabase, or 3343 for a file that is not a
    // database at all) unless the archive passes SQLite's quick check and
    // holds the diary's tables, every stored column and the header's row.
    static void verify(const QString &path);
    // Removes the temporary copies (and their journals) and the unfinished
    // saves that a killed process left in `folder`; a live process's are kept.
    // How many went.
    static int removeLeftovers(const QString &folder);
};
