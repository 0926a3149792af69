#pragma once
// TfrDataset: a report dataset that a data band walks. On its own it is driven
// by events (published as TfrUserDataset): the report asks First/Next/Eof and
// the owner's handlers supply the records. It keeps a record number and count
// and the range that limits the walk.

#include <QObject>
#include <functional>

enum TRangeBegin : int { rbFirst = 0, rbCurrent = 1 };
enum TRangeEnd : int { reLast = 0, reCurrent = 1, reCount = 2 };

class TfrDataset : public QObject
{
    Q_OBJECT
public:
    // Without an owner the dataset is named "N" and a number unique in the process.
    explicit TfrDataset(QObject *owner = nullptr);
    ~TfrDataset() override;

    TRangeBegin RangeBegin = rbFirst;
    TRangeEnd RangeEnd = reLast;
    int RangeEndCount = 0;
    int SkipOnBegin = 0;

    std::function<void(TfrDataset *sender)> OnFirst, OnNext, OnPrior;
    std::function<void(TfrDataset *sender, bool &eof)> OnCheckEOF;

    virtual void Init() {}
    virtual void Exit() {}
    virtual void First();
    virtual void Prior();
    virtual void Next();
    virtual bool Eof();

    int RecNo = 0;
    int RecordCount = 0;
};

using TfrUserDataset = TfrDataset;
