#pragma once
// The statistics of a period of the diary, the same numbers wherever they are
// shown: the means of the first readings of the day (the SX_ fields, meant
// for the morning), of the second (DX_, the evening) and of all; the
// home-monitoring protocol's mean over the period's last week; the share of
// measurements at or above 135/85; the lowest and highest day; the weight.
//
// A measurement is one systolic/diastolic/pulse triple; zero and empty values
// never count, each value is averaged over the measurements that have it.
// Means are rounded to whole mmHg (not truncated like the card's), shares to
// whole percent.

#include "core/datetime.h"

#include <QList>
#include <QString>

class TDataSet;
class TDiaryModel;

// One day card's values: [reading 0 = first (SX_), 1 = second (DX_)]
// [measurement 0, 1] [systolic, diastolic, pulse]; 0 is empty.
struct TDayReadings
{
    TDateTime day = 0;
    int values[2][2][3] = {};
    double weight = 0;
};

struct TReadingMeans
{
    int measurements = 0;
    int systolic = 0;    // 0 when no measurement has one
    int diastolic = 0;
    int pulse = 0;
};

struct TDiaryStatistics
{
    // The home threshold of blood pressure.
    static constexpr int ThresholdSystolic = 135;
    static constexpr int ThresholdDiastolic = 85;
    // The protocol: its last 7 days with readings, the first of them discarded.
    static constexpr int ProtocolWeek = 7;
    static constexpr int ProtocolMinDays = 3;
    static constexpr int ProtocolMinMeasurements = 12;

    TDateTime from = 0, to = 0;   // the period asked; 0 is open
    int days = 0;                 // days with readings
    int measurements = 0;
    TReadingMeans first, second, all;
    // First minus second, value by value where both readings have one.
    bool hasDifference = false;
    bool hasDifferenceSystolic = false, hasDifferenceDiastolic = false, hasDifferencePulse = false;
    int differenceSystolic = 0, differenceDiastolic = 0, differencePulse = 0;

    TReadingMeans protocol;
    int protocolDays = 0;
    TDateTime protocolFrom = 0, protocolTo = 0;
    bool protocolEnough() const
    {
        return protocolDays >= ProtocolMinDays && protocol.measurements >= ProtocolMinMeasurements;
    }
    bool protocolAbove() const
    {
        return protocol.systolic >= ThresholdSystolic || protocol.diastolic >= ThresholdDiastolic;
    }

    int measurementsWithPressure = 0;
    int aboveThresholdPercent = 0;

    TDateTime lowestDay = 0, highestDay = 0;   // by the day's systolic mean; 0 when none
    int lowestSystolic = 0, highestSystolic = 0;

    bool hasWeight = false;
    double firstWeight = 0, lastWeight = 0;
    TDateTime firstWeightDay = 0, lastWeightDay = 0;
    double weightChange() const { return lastWeight - firstWeight; }
    double bodyMassIndex = 0;   // the last weight over the height squared; 0 when unknown

    // "Media domiciliare 128/79 mmHg su 6 giorni (24 misurazioni): sotto la soglia di 135/85",
    // with what is missing when the week is short.
    QString protocolVerdict() const;
    // What the protocol asks, for the page and the printout.
    static QString protocolReminder();
    // The numbers as one JSON object, and as Italian lines of text.
    QString toJson() const;
    QString toText() const;
};

// The statistics of days already read (in date order; cards of one date may
// follow each other), over the period from..to (0: open).
TDiaryStatistics ComputeDiaryStatistics(const QList<TDayReadings> &days, double height, TDateTime from = 0,
                                        TDateTime to = 0);

// Reads the days of an open diary table through the model's fields, in the
// order the table has (callers sort it by date), over the period; the table's
// own filter is left alone: callers give a table of their own.
QList<TDayReadings> ReadDiaryDays(TDataSet *diario, const TDiaryModel &model, TDateTime from, TDateTime to);
