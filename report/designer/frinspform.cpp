#include "report/designer/frinspform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frdesigngeometry.h"
#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frview.h"

#include "core/formatsettings.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QString kInvalid = QStringLiteral("Il valore inserito non è valido.");
} // namespace

QString TInspForm::RowLabel(int row)
{
    static const char *labels[] = {"Nome", "X", "Y", "Larghezza", "Altezza", "Visibile", "Testo"};
    return row >= 0 && row < RowCount ? QString::fromLatin1(labels[row]) : QString();
}

TInspForm::TInspForm(TFRDesignerForm *designer)
    : QWidget(designer, Qt::Tool | Qt::WindowStaysOnTopHint), m_designer(designer)
{
    setObjectName(QStringLiteral("InspForm"));
    setWindowTitle(QStringLiteral("Controllo oggetto"));
    // Showing it must not take the designer's activation.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The designer's small font: 16-pixel rows, "Larghezza" inside the label column.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    Objects = new QComboBox(this);
    Objects->setObjectName(QStringLiteral("Objects"));
    PaintBox = new QWidget(this);
    PaintBox->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox->installEventFilter(this);
    Edit1 = new QLineEdit(PaintBox);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(MaxValueLength);
    Edit1->setFrame(false);
    Edit1->installEventFilter(this);
    EditBtn = new QToolButton(PaintBox);
    EditBtn->setText(QStringLiteral("..."));
    EditBtn->setFocusPolicy(Qt::NoFocus);
    connect(EditBtn, &QToolButton::clicked, this, [this] { EditText(); });
    Objects->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(Objects);
    layout->addWidget(PaintBox, 1);
    connect(Objects, &QComboBox::activated, this, [this](int index) {
        const QString name = Objects->itemText(index);
        if (TfrPage *page = m_designer->Page())
            for (TfrView *v : page->Objects)
                if (v->Name == name) {
                    m_designer->SelectOnly(v);
                    break;
                }
    });
    PaintBox->setMinimumHeight(RowCount * RowPixels() + 2);
    resize(200, RowCount * RowPixels() + Objects->sizeHint().height() + 12);
    FillValues();
}

int TInspForm::RowPixels() const { return fontMetrics().height() + 5; }

void TInspForm::SetCurrentRow(int row)
{
    row = qBound(0, row, RowCount - 1);
    m_row = row;
    placeEditor();
    PaintBox->update();
}

void TInspForm::placeEditor()
{
    const int h = RowPixels();
    const int width = PaintBox->width() - LabelWidth - 1;
    const bool text = m_row == RowText;
    Edit1->setGeometry(LabelWidth + 1, m_row * h + 1, width - (text ? h : 0), h - 2);
    EditBtn->setGeometry(LabelWidth + width - h + 1, RowText * h + 1, h - 1, h - 2);
    EditBtn->setVisible(text && m_designer->SelNum() > 0);
    m_filling = true;
    Edit1->setText(text ? QStringLiteral("(Testo)") : m_values[m_row]);
    m_filling = false;
    Edit1->setReadOnly(text || m_designer->SelNum() == 0);
    Edit1->setModified(false);
}

void TInspForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeEditor();
}

void TInspForm::paintRows()
{
    QPainter p(PaintBox);
    const int h = RowPixels();
    p.fillRect(PaintBox->rect(), palette().color(QPalette::Base));
    for (int r = 0; r < RowCount; ++r) {
        const QRect label(0, r * h, LabelWidth, h);
        p.fillRect(label, r == m_row ? palette().color(QPalette::Highlight) : palette().color(QPalette::Button));
        p.setPen(r == m_row ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::ButtonText));
        p.drawText(label.adjusted(3, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, RowLabel(r));
        p.setPen(palette().color(QPalette::Text));
        const QString value = r == RowText ? QStringLiteral("(Testo)") : m_values[r];
        p.drawText(QRect(LabelWidth + 3, r * h, PaintBox->width() - LabelWidth - 3, h), Qt::AlignVCenter, value);
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(0, r * h + h - 1, PaintBox->width(), r * h + h - 1);
    }
    p.drawLine(LabelWidth, 0, LabelWidth, RowCount * h);
}

void TInspForm::FillObjects()
{
    m_filling = true;
    Objects->clear();
    if (TfrPage *page = m_designer->Page())
        for (const TfrView *v : page->Objects) Objects->addItem(v->Name);
    m_filling = false;
    FillValues();
}

void TInspForm::ObjectAdded(const TfrView *view)
{
    if (Objects->findText(view->Name, Qt::MatchFixedString) < 0) Objects->addItem(view->Name);
}

void TInspForm::ObjectRenamed(const QString &oldName, const QString &newName)
{
    const int i = Objects->findText(oldName, Qt::MatchFixedString);
    if (i >= 0) Objects->setItemText(i, newName);
    else Objects->addItem(newName);
    Objects->setCurrentIndex(Objects->findText(newName, Qt::MatchFixedString));
}

void TInspForm::ObjectRemoved(const QString &name)
{
    const int i = Objects->findText(name, Qt::MatchFixedString);
    if (i >= 0) Objects->removeItem(i);
}

QString TInspForm::currentValue(int row) const
{
    const TfrView *v = m_designer->Selection().value(0);
    if (!v || m_designer->SelNum() != 1) return {};
    switch (row) {
    case RowName: return v->Name;
    case RowX: return m_designer->FormatUnits(v->Left);
    case RowY: return m_designer->FormatUnits(v->Top);
    case RowWidth: return m_designer->FormatUnits(v->Width);
    case RowHeight: return m_designer->FormatUnits(v->Height);
    case RowVisible: return v->Visible ? QStringLiteral("Vero") : QStringLiteral("Falso");
    default: return {};
    }
}

void TInspForm::FillValues()
{
    for (int r = 0; r < RowCount; ++r) m_values[r] = currentValue(r);
    if (TfrView *v = m_designer->SelectedObject()) {
        m_filling = true;
        Objects->setCurrentIndex(Objects->findText(v->Name, Qt::MatchFixedString));
        m_filling = false;
    } else if (m_designer->SelNum() == 0) {
        Objects->setCurrentIndex(-1);
    }
    placeEditor();
    PaintBox->update();
}

void TInspForm::refuse(int row)
{
    // The row goes back to the object's value, in the unit it is shown in.
    m_values[row] = row == RowVisible && m_designer->SelNum() > 1 ? QString() : currentValue(row);
    if (row == RowVisible && m_designer->SelNum() > 1)
        if (const TfrView *v = m_designer->Selection().value(0))
            m_values[row] = v->Visible ? QStringLiteral("Vero") : QStringLiteral("Falso");
    if (row == m_row) placeEditor();
    PaintBox->update();
    frDesignerDialogs().message(this, kInvalid, QStringLiteral("Errore"), TMsgDlgType::mtError, mbOK, 0);
}

bool TInspForm::apply(int row, const QString &text)
{
    const QList<TfrView *> selection = m_designer->Selection();
    if (selection.isEmpty() || row == RowText) return true;
    switch (row) {
    case RowName: {
        // Names are unique: one object at a time.
        if (selection.size() != 1) return true;
        TfrView *v = selection.first();
        const QString old = v->Name;
        if (text == old) return true;
        if (!m_designer->Report().RenameObject(v, text.trimmed())) {
            m_values[row] = currentValue(row);
            placeEditor();
            return false;
        }
        ObjectRenamed(old, v->Name);
        break;
    }
    case RowX: case RowY: case RowWidth: case RowHeight: {
        QString number = text.trimmed();
        number.replace(TFormatSettings::current().decimalSeparator, QLatin1Char('.'));
        // Only "." is a separator here: the C locale would also take "," as
        // grouping and read "1,000" as a thousand.
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double value = c.toDouble(number, &ok);
        const double factor = m_designer->Units == 1 ? 0.26448362720403024 : m_designer->Units == 2 ? 1.0 / 96 : 1.0;
        if (!ok || !std::isfinite(value) || std::abs(value / factor) > 1e6) {
            refuse(row);
            return false;
        }
        const int pixels = int(std::lround(value / factor));
        for (TfrView *v : selection) {
            int &field = row == RowX ? v->Left : row == RowY ? v->Top : row == RowWidth ? v->Width : v->Height;
            field = pixels;
            // A negative size turns round its left or top edge, as a drag does.
            const frDesign::Box b = frDesign::normalized({v->Left, v->Top, v->Width, v->Height});
            v->Left = b.left;
            v->Top = b.top;
            v->Width = b.width;
            v->Height = b.height;
        }
        m_values[row] = currentValue(row).isEmpty() ? m_designer->FormatUnits(pixels) : currentValue(row);
        break;
    }
    case RowVisible: {
        bool visible;
        if (text.trimmed().compare(QLatin1String("Vero"), Qt::CaseInsensitive) == 0) visible = true;
        else if (text.trimmed().compare(QLatin1String("Falso"), Qt::CaseInsensitive) == 0) visible = false;
        else {
            refuse(row);
            return false;
        }
        for (TfrView *v : selection) v->Visible = visible;
        m_values[row] = visible ? QStringLiteral("Vero") : QStringLiteral("Falso");
        break;
    }
    default: return true;
    }
    m_designer->SelectionChanged();
    m_designer->AddUndoSnapshot();
    return true;
}

bool TInspForm::ApplyEdit()
{
    if (m_row == RowText || !Edit1->isModified() || m_designer->SelNum() == 0) return true;
    const QString text = Edit1->text();
    Edit1->setModified(false);
    if (text == m_values[m_row]) return true;
    return apply(m_row, text);
}

void TInspForm::EditText()
{
    if (m_designer->SelNum() == 0) return;
    m_designer->EditSelected(true);
}

bool TInspForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == PaintBox) {
        if (event->type() == QEvent::Paint) {
            paintRows();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const int row = static_cast<QMouseEvent *>(event)->position().toPoint().y() / RowPixels();
            if (row >= 0 && row < RowCount) {
                ApplyEdit();
                SetCurrentRow(row);
                if (event->type() == QEvent::MouseButtonDblClick && row == RowText) EditText();
                else Edit1->setFocus();
            }
            return true;
        }
        if (event->type() == QEvent::Resize) placeEditor();
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // The function keys are the designer's (F9 preview, F11 this window).
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12) {
            m_designer->HandleKey(key);
            return true;
        }
        if (watched != Edit1) return false;
        switch (key->key()) {
        case Qt::Key_Return: case Qt::Key_Enter:
            if (m_row == RowText) EditText();
            else if (ApplyEdit()) m_designer->ReturnFocus();
            return true;
        case Qt::Key_Escape:
            placeEditor();
            return true;
        case Qt::Key_Up: case Qt::Key_Down:
            if (ApplyEdit()) SetCurrentRow(m_row + (key->key() == Qt::Key_Up ? -1 : 1));
            return true;
        default: break;
        }
    }
    return false;
}

void TInspForm::changeEvent(QEvent *event)
{
    // Leaving the window applies what was typed.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) ApplyEdit();
    QWidget::changeEvent(event);
}
