#pragma once
// The window placement record of the settings file and its mapping onto a
// Qt window.
//
// The record keeps the Windows meaning of its fields, so a file moves between
// systems: ShowCmd 1 normal, 2 minimized, 3 maximized; flag 2 "restore to
// maximized" for a window minimized from the maximized state; the normal
// rectangle is the frame of the restored window, right and bottom exclusive.
// Qt leaves the minimized and maximized positions to the window manager, so
// they are always -1 here.

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

struct TWindowPlacement
{
    enum TFlag { WPF_SETMINPOSITION = 1, WPF_RESTORETOMAXIMIZED = 2 };
    enum TShowCmd { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3 };

    int Flags = 0;
    int ShowCmd = SW_SHOWNORMAL;
    QPoint MinPosition{-1, -1};
    QPoint MaxPosition{-1, -1};
    QRect NormalPosition;
};

// Flags, show command and normal frame rectangle of a top-level widget.
TWindowPlacement GetWindowPlacement(const QWidget *window);
// The frame rectangle the window has, or will have again, in the normal state.
QRect NormalFrameGeometry(const QWidget *window);
// The frame around the client area; null until the window system framed it.
QMargins WindowFrameMargins(const QWidget *window);

// "l,t,r,b" for a rectangle, right and bottom exclusive, and back.
QString FormatPlacementRect(const QRect &rect);
QString FormatPlacementPoints(const QPoint &first, const QPoint &second);
// Splits at blanks and commas; a missing or unreadable word keeps its default.
QList<int> ParsePlacementWords(const QString &text, const QList<int> &defaults);

// A frame rectangle moved (and shrunk if needed) onto the screen `fallback`
// when no screen in `screens` shows enough of its top edge to grab it.
QRect KeepReachable(const QRect &frame, const QList<QRect> &screens, int fallback);
