#pragma once
// Numbers as text: the numeric picture language ("0", "#", ".", ",", "E+",
// "E-", ";" sections, quoted literals), the general and fixed forms, and
// parsing in the regional formats. Rounding is half away from zero.

#include "core/formatsettings.h"
#include <QString>

enum class TFloatFormat { General, Exponent, Fixed, Number, Currency };

// Picture formatting. "#" prints 73 for 72.6 and nothing for 0; "00.0" prints
// 09,5 for 9.46 (Italian); "0,." groups thousands; "pos;neg;zero" sections.
QString formatFloat(const QString &pattern, double value,
                    const TFormatSettings &fs = TFormatSettings::current());

// Shortest general form with up to 15 significant digits ("72,6", "1E20").
QString floatToStr(double value, const TFormatSettings &fs = TFormatSettings::current());
// General/Exponent/Fixed/Number/Currency with precision and digits.
QString floatToStrF(double value, TFloatFormat format, int precision, int digits,
                    const TFormatSettings &fs = TFormatSettings::current());
// The currency form with the settings' symbol, layout and decimals ("€ 1.234,50").
QString currToStr(double value, const TFormatSettings &fs = TFormatSettings::current());

// Parsing: optional blanks around, optional sign, digits with the decimal
// separator, optional exponent. Thousands separators are rejected ("1.800" with
// it_IT is not a number). Currency text may carry the currency symbol.
bool tryStrToFloat(const QString &text, double &out,
                   const TFormatSettings &fs = TFormatSettings::current());
bool tryStrToCurr(const QString &text, double &out,
                  const TFormatSettings &fs = TFormatSettings::current());
// Decimal 32-bit integer (blanks around allowed, "$"/"0x" hex accepted); false on overflow.
bool tryStrToInt(const QString &text, int &out);
bool tryStrToInt64(const QString &text, qint64 &out);
