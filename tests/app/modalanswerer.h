#pragma once
// Answers the modal windows a test's code opens, in order, and keeps their texts.

#include <QApplication>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

// Answers the next modal window by clicking the button with this object name,
// and records its message text.
class ModalAnswerer : public QObject
{
public:
    QStringList messages;
    void answer(const QString &button)
    {
        m_buttons << button;
        if (!m_timer) {
            m_timer = new QTimer(this);
            connect(m_timer, &QTimer::timeout, this, [this] { poll(); });
            m_timer->start(10);
        }
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || m_buttons.isEmpty()) return;
        if (auto *label = modal->findChild<QLabel *>("Message")) messages << label->text();
        if (auto *b = modal->findChild<QPushButton *>(m_buttons.first())) {
            m_buttons.removeFirst();
            b->click();
        }
    }
    QStringList m_buttons;
    QTimer *m_timer = nullptr;
};
