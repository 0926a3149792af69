#pragma once
// Text of a value inserted into a text object, by the object's DisplayFormat:
// bits 24-27 category, 16-23 index, 8-15 decimals, 0-7 decimal separator.

#include "report/frvariant.h"

#include <QString>

namespace frFormat {
enum Category { Text = 0, Number = 1, Date = 2, Time = 3, Logical = 4 };
inline int category(int format) { return (format >> 24) & 0x0F; }
inline int index(int format) { return (format >> 16) & 0xFF; }
inline int decimals(int format) { return (format >> 8) & 0xFF; }
inline int separator(int format) { return format & 0xFF; }
inline int pack(int category, int index, int decimals, int separator)
{
    return (category << 24) | (index << 16) | (decimals << 8) | separator;
}
} // namespace frFormat

// Empty and Null give empty text; a value a category cannot show is shown as text.
QString frFormatValue(const TfrVariant &value, int displayFormat, const QString &formatText);
