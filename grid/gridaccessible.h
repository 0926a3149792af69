#pragma once
// The data grid for screen readers: a table whose rows are the records on
// screen and whose columns carry their titles as headers (Qt's table
// interface, served on Linux through AT-SPI).

#include <functional>

class QAccessibleInterface;
class TCustomDBGrid;

// Installed by the first grid made; safe to call again.
void installGridAccessibility();
// Tells a reader which cell is now current (the record or the column moved).
void announceCurrentCell(TCustomDBGrid *grid);
// Sees every announcement, also where no reader is listening (tests).
std::function<void(QAccessibleInterface *cell)> &gridAnnouncementHook();
