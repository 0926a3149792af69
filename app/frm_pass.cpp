#include "app/frm_pass.h"
#include "controls/accessible.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>
#include <functional>

namespace {
// A list that tells apart a choice made with the keys from the current row
// Qt sets by itself (on focus, when filled).
class TChoiceList : public QListWidget
{
public:
    using QListWidget::QListWidget;
    std::function<void()> OnKeyChoice;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        if (currentRow() >= 0 && currentRow() != before && OnKeyChoice) OnKeyChoice();
    }
};
} // namespace

TSimpleComboBox::TSimpleComboBox(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_edit = new QLineEdit(this);
    m_edit->setReadOnly(true);
    auto *list = new TChoiceList(this);
    m_list = list;
    layout->addWidget(m_edit);
    layout->addWidget(m_list);
    setFocusProxy(m_list);
    // Only a user's choice counts: filling the list or focusing it selects nothing.
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_edit->setText(item->text());
        emit Click();
    });
    list->OnKeyChoice = [this] {
        m_edit->setText(m_list->currentItem()->text());
        emit Click();
    };
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        m_edit->setText(item->text());
        emit Click();
    });
}

void TSimpleComboBox::setItems(const QStringList &items)
{
    m_list->clear();
    m_list->addItems(items);
    m_list->setCurrentRow(-1);
}

QStringList TSimpleComboBox::items() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i) out << m_list->item(i)->text();
    return out;
}

QString TSimpleComboBox::Text() const
{
    return m_edit->text();
}

Tfrm_pass::Tfrm_pass(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_pass"));
    setWindowTitle(QString());
    QFont f(QStringLiteral("Microsoft Sans Serif"));
    f.setBold(true);
    f.setPixelSize(13);
    setFont(f);
    auto *layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Scegliere l'archivio"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    ComboBox1 = new TSimpleComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    // Read aloud: the edit by the label above it, the list as what it holds.
    nameByLabel(Label1, ComboBox1->edit());
    ComboBox1->list()->setAccessibleName(QStringLiteral("Archivi"));
    layout->addWidget(Label1);
    layout->addWidget(ComboBox1);
    setFixedSize(260, 220);
    connect(ComboBox1, &TSimpleComboBox::Click, this, &Tfrm_pass::ComboBox1Click);
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void Tfrm_pass::ComboBox1Click()
{
    m_chosen = ComboBox1->Text();
    accept();
}
