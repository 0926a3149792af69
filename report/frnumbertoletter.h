#pragma once
// A number written in Italian words, as NUMBERTOLETTER prints it: the value is
// taken as a currency amount (four decimals at most); the decimal digits are
// read as a whole number ("virgola cinque" for both .5 and .05).

#include <QString>

// Throws EConvertError when the amount has more digits than the words cover.
QString frNumberToLetter(double value);
// The words of a string of decimal digits (the engine's group procedure).
QString frDigitsToLetter(const QString &digits);
