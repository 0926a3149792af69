#pragma once
// The window TMessageBoxDlg builds for one message. It holds its outer
// (framed) size and fits its client area to it once the window manager has
// told the frame; closing it from the title bar or with Escape yields 2.

#include <QDialog>
#include <QMargins>
#include <functional>

class TMessageForm : public QDialog
{
    Q_OBJECT
public:
    explicit TMessageForm(QWidget *parent = nullptr);

    // The size of the framed window; the client size follows from the frame.
    void setOuterSize(const QSize &size);
    QSize outerSize() const { return m_outer; }
    // Where the framed window's top-left corner goes.
    void setOuterPos(const QPoint &pos) { m_pos = pos; }

    // Best guess of the frame before the window is shown: a shown framed
    // top-level window's frame, or none.
    static QMargins frameGuess();

    QWidget *defaultButton = nullptr;
    // Called when a client size is chosen, so the contents can follow it.
    std::function<void(const QSize &client)> OnClientSize;

    void reject() override { done(2); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fit(const QMargins &frame);

    QSize m_outer;
    QPoint m_pos;
};
