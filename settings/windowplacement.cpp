#include "settings/windowplacement.h"

#include "settings/inifile.h"

#include <QRegularExpression>
#include <QWidget>

#include <algorithm>

namespace {

constexpr Qt::WindowStates ExtraStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

} // namespace

QMargins WindowFrameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

QRect NormalFrameGeometry(const QWidget *window)
{
    if (!(window->windowState() & ExtraStates))
        return window->frameGeometry();
    // normalGeometry() is the client area; the frame around it is the one the
    // window has now.
    const QRect normal = window->normalGeometry();
    if (!normal.isValid())
        return window->frameGeometry();
    return normal.marginsAdded(WindowFrameMargins(window));
}

TWindowPlacement GetWindowPlacement(const QWidget *window)
{
    TWindowPlacement placement;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized) {
        placement.ShowCmd = TWindowPlacement::SW_SHOWMINIMIZED;
        if (state & Qt::WindowMaximized)
            placement.Flags |= TWindowPlacement::WPF_RESTORETOMAXIMIZED;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        placement.ShowCmd = TWindowPlacement::SW_SHOWMAXIMIZED;
    }
    placement.NormalPosition = NormalFrameGeometry(window);
    return placement;
}

QString FormatPlacementRect(const QRect &rect)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.left())
        .arg(rect.top())
        .arg(rect.left() + rect.width())
        .arg(rect.top() + rect.height());
}

QString FormatPlacementPoints(const QPoint &first, const QPoint &second)
{
    return QStringLiteral("%1,%2,%3,%4").arg(first.x()).arg(first.y()).arg(second.x()).arg(second.y());
}

QList<int> ParsePlacementWords(const QString &text, const QList<int> &defaults)
{
    static const QRegularExpression separators(QStringLiteral("[ ,]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    QList<int> result = defaults;
    for (qsizetype i = 0; i < result.size() && i < words.size(); ++i)
        result[i] = TIniFile::StrToIntDef(words.at(i), defaults.at(i));
    return result;
}

QRect KeepReachable(const QRect &frame, const QList<QRect> &screens, int fallback)
{
    if (screens.isEmpty() || !frame.isValid())
        return frame;
    // The top edge carries the title bar: enough of it must lie on one screen
    // for the user to drag the window.
    const QRect topEdge(frame.left(), frame.top(), frame.width(), std::min(frame.height(), 24));
    const int needWidth = std::min(frame.width(), 48);
    for (const QRect &screen : screens) {
        const QRect shown = topEdge.intersected(screen);
        if (shown.width() >= needWidth && shown.height() == topEdge.height())
            return frame;
    }
    const QRect screen = screens.at(fallback >= 0 && fallback < screens.size() ? fallback : 0);
    const int width = std::min(frame.width(), screen.width());
    const int height = std::min(frame.height(), screen.height());
    const int left = std::clamp(frame.left(), screen.left(), screen.left() + screen.width() - width);
    const int top = std::clamp(frame.top(), screen.top(), screen.top() + screen.height() - height);
    return QRect(left, top, width, height);
}
