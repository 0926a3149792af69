#include "report/frdataset.h"

#include <atomic>

TfrDataset::TfrDataset(QObject *owner) : QObject(owner)
{
    if (!owner) {
        static std::atomic<int> counter{0};
        setObjectName(QStringLiteral("N%1").arg(++counter));
    }
}

TfrDataset::~TfrDataset() = default;

void TfrDataset::First()
{
    RecNo = 0;
    RecordCount = 0;
    if (OnFirst) OnFirst(this);
}

void TfrDataset::Next()
{
    ++RecNo;
    ++RecordCount;
    if (OnNext) OnNext(this);
}

void TfrDataset::Prior()
{
    --RecNo;
    if (OnPrior) OnPrior(this);
}

bool TfrDataset::Eof()
{
    bool eof = RangeEnd == reCount && RecNo >= RangeEndCount;
    if (OnCheckEOF) OnCheckEOF(this, eof);
    return eof;
}
