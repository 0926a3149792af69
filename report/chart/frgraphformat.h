#pragma once
// The text of a chart's vertical-axis label for a value and the chart's Y
// format: empty rounds to an integer; "[1]" currency in the regional format
// (negatives as symbol, blank, minus, amount); "[2]" lire shown in euro;
// "[3]" to "[7]" fixed number pictures; anything else is a picture itself.

#include <QString>

QString frGraphAxisText(double value, const QString &yFormat);
