// tonalba-cli new <file.mdb>: an empty archive with the diary's two tables.

#include "tools/clicommand.h"
#include "data/archive.h"
#include "core/exceptions.h"

namespace {
int runNew(const QStringList &args)
{
    if (args.size() != 1) return cliUsage(QStringLiteral("Uso: new <archivio.mdb>"));
    try {
        TArchive::create(args[0]);
    } catch (const Exception &e) {
        cliError(QStringLiteral("Impossibile creare l'archivio: %1").arg(e.message()));
        return 1;
    }
    return 0;
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("new"), QStringLiteral("new <archivio.mdb>      crea un archivio vuoto (mai sopra un file esistente)"), runNew);
