#include "report/frbandtypes.h"

namespace {
struct BandInfo
{
    const char *name;
    int flags;
};

constexpr int S = frBand::Stretched, N = frBand::NewPageAfter, P = frBand::PrintIfSubsetEmpty,
              B = frBand::BreakBand, F = frBand::FillPage;

const BandInfo bandInfo[frBand::TypeCount] = {
    {"Titolo report", S | N | B},
    {"Piè di pagina report", S | N | B},
    {"Instestazione pagina", S},
    {"Piè di pagina", 0},
    {"Intestazione principale", S | B},
    {"Dati principali", S | N | B | P | F},
    {"Piè di pagina principale", S | N | B},
    {"Intestazione dettagli", S | B},
    {"Dati dettagli", S | N | B | P | F},
    {"Piè di pagina dettagli", S | N | B},
    {"Intestazione sottodettagli", S | B},
    {"Dati sottodettagli", S | N | B | F},
    {"Piè di pagina sottodettagli", S | N | B},
    {"Copertura (Sfondo)", 0},
    {"Intestazione colonna", 0},
    {"Piè di pagina colonna", 0},
    {"Intestazione gruppo", S | N | B},
    {"Piè di pagina gruppo", S | B},
    {"Intestazione Tabella", S},
    {"Dati Tabella", 0},
    {"Piè di pagina Tabella", 0},
    {"Nessuna", 0},
};
} // namespace

QString frBand::displayName(int type)
{
    if (type < 0 || type >= TypeCount) return QString();
    return QString::fromUtf8(bandInfo[type].name);
}

bool frBand::allowsFlag(int type, int flag)
{
    return type >= 0 && type < TypeCount && (bandInfo[type].flags & flag) != 0;
}

bool frBand::isDataBand(int type)
{
    return type == MasterData || type == DetailData || type == SubDetailData || type == CrossData;
}

int frBand::dataBandFor(int type)
{
    switch (type) {
    case DetailHeader: case DetailData: case DetailFooter: return DetailData;
    case SubDetailHeader: case SubDetailData: case SubDetailFooter: return SubDetailData;
    case CrossHeader: case CrossData: case CrossFooter: return CrossData;
    case Overlay: case None: return -1;
    default: return type >= 0 && type < TypeCount ? MasterData : -1;
    }
}

int frBand::aggregateTargetFor(int type)
{
    switch (type) {
    case ReportSummary: case PageFooter: case MasterData: case MasterFooter: case ColumnFooter: case GroupFooter:
        return MasterData;
    case DetailData: case DetailFooter: return DetailData;
    case SubDetailData: case SubDetailFooter: return SubDetailData;
    case CrossData: case CrossFooter: return CrossData;
    default: return -1;
    }
}
