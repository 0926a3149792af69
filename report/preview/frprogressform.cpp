#include "report/preview/frprogressform.h"

#include "report/frreport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TfrProgressForm::TfrProgressForm(TfrReport &report, const QString &caption, const QString &label, QWidget *parent)
    : QDialog(parent), m_report(report), m_label(new QLabel(label, this)), m_number(new QLabel(this)),
      m_cancel(new QPushButton(QStringLiteral("&Annulla"), this))
{
    setWindowTitle(caption);
    setModal(true);
    auto *row = new QHBoxLayout;
    row->addWidget(m_label);
    row->addWidget(m_number, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, &TfrProgressForm::reject);
    setFixedSize(320, 100);
}

void TfrProgressForm::run(const std::function<void()> &work)
{
    // The work starts once the window is up, so its cancel button can be pressed.
    QTimer::singleShot(0, this, [this, work] {
        work();
        done(QDialog::Accepted);
    });
    exec();
}

void TfrProgressForm::setLabel(const QString &text) { m_label->setText(text); }
void TfrProgressForm::setNumber(const QString &text) { m_number->setText(text); }
QString TfrProgressForm::labelText() const { return m_label->text(); }
QString TfrProgressForm::numberText() const { return m_number->text(); }

void TfrProgressForm::reject() { m_report.Terminated = true; }
