// tonalba-cli compact <file.mdb>: repair then compact, as the start-up does
// (without the backup copy).

#include "tools/clicommand.h"
#include "data/daodatabase.h"

namespace {
int runCompact(const QStringList &args)
{
    if (args.size() != 1) return cliUsage(QStringLiteral("Uso: compact <archivio.mdb>"));
    try {
        TDaoDatabase database;
        database.RepairDatabaseFile(args[0], QString());
        database.CompactDatabaseFile(args[0], QString());
    } catch (const Exception &e) {
        cliError(QStringLiteral("Impossibile compattare l'archivio: %1").arg(e.message()));
        return 1;
    }
    return 0;
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("compact"), QStringLiteral("compact <archivio.mdb>  ripara e compatta un archivio chiuso"), runCompact);
