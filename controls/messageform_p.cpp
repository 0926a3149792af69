#include "controls/messageform_p.h"

#include <QApplication>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

TMessageForm::TMessageForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
}

QMargins TMessageForm::frameGuess()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowFlags().testFlag(Qt::FramelessWindowHint)) continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog) continue;
        const QRect g = w->geometry(), f = w->frameGeometry();
        return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
    }
    return {};
}

void TMessageForm::setOuterSize(const QSize &size)
{
    m_outer = size;
    fit(frameGuess());
}

void TMessageForm::fit(const QMargins &frame)
{
    const QSize client(std::max(1, m_outer.width() - frame.left() - frame.right()),
                       std::max(1, m_outer.height() - frame.top() - frame.bottom()));
    setFixedSize(client);
    if (OnClientSize) OnClientSize(client);
    move(m_pos);
}

void TMessageForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (defaultButton) defaultButton->setFocus(Qt::OtherFocusReason);
    // A window manager reports the frame only after it has framed the window.
    auto refit = [this] {
        if (QWindow *w = windowHandle()) {
            const QMargins frame = w->frameMargins();
            if (size() + QSize(frame.left() + frame.right(), frame.top() + frame.bottom()) != m_outer) fit(frame);
        }
    };
    refit();
    QTimer::singleShot(100, this, refit);
}
