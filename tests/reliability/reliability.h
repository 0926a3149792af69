#pragma once
// What the reliability tests share: the tool run as a child with a fault plan
// in its environment, and the diary read back raw, to compare with what it
// held before.

#include "../data/tst_engine_util.h"
#include "tests/tools/clirun.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace reliability {

using Run = CliRun;

// tonalba-cli with `args`; `faults` goes to TONALBA_FAULTS (see data/faultvfs.h).
inline CliRun cli(const QStringList &args, const QString &faults = QString())
{
    QProcessEnvironment env = italianEnvironment();
    if (faults.isEmpty()) env.remove("TONALBA_FAULTS");
    else env.insert("TONALBA_FAULTS", faults);
    return runProgram(TONALBA_CLI, args, env);
}

// The steps the command takes, from a counting run.
inline int stepsOf(const QStringList &args)
{
    const Run r = cli(args, "count");
    const qsizetype at = r.err.lastIndexOf("faultvfs: ");
    return at < 0 ? -1 : r.err.mid(at + 10).section(' ', 0, 0).toInt();
}

// Every row of both tables, as text; what "the same diary" means here.
inline QStringList content(const QString &archive)
{
    QStringList rows = testutil::rawQuery(archive, "SELECT quote(Data)||'|'||ifnull(SX_MIN_1,'')||'|'||ifnull(SX_MAX_1,'')"
                                                   "||'|'||ifnull(Peso,'')||'|'||ifnull(Note,'') FROM Diario ORDER BY ID_Diario");
    rows << testutil::rawQuery(archive, "SELECT ifnull(Nome,'')||'|'||ifnull(Altezza,'')||'|'||ifnull(Terapia,'') FROM Intestazione");
    return rows;
}

// A copy of `from` at `to`, the journal too when there is one.
inline void copyArchive(const QString &from, const QString &to)
{
    for (const QString &suffix : {QString(), QStringLiteral("-journal")}) {
        QFile::remove(to + suffix);
        if (QFile::exists(from + suffix)) QFile::copy(from + suffix, to + suffix);
    }
}

} // namespace reliability
