#include "controls/dbnavbar.h"
#include "controls/exitrefusal_p.h"
#include "core/exceptions.h"
#include "controls/messageboxdlg.h"
#include "data/datasource.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

const char *const kDefaultHints[kNavButtonCount] = {
    "First record", "Prior record", "Next record", "Last record", "Insert record", "Delete record",
    "Edit record", "Post edit", "Cancel edit", "Refresh data", "Search record", "Set bookmark",
    "Goto bookmark"};

} // namespace

TDBNavBar::TDBNavBar(QWidget *parent) : QWidget(parent), m_link(this)
{
    setFocusPolicy(Qt::TabFocus);
    m_look.Color = palette().color(QPalette::Button);
    m_look.ColorHot = QColor(199, 199, 202);
    m_look.ColorDown = QColor(210, 211, 216);
    m_look.BorderHotColor = Qt::black;
    m_look.BorderDownColor = Qt::black;
    for (int i = 0; i < kNavButtonCount; ++i) {
        auto *b = new TNavBarButton(TNavigateBtn(i), this);
        b->OnClick = [this, i](TFlatToolButton *) { BtnClick(i); };
        m_buttons[std::size_t(i)] = b;
    }
    applyLook();
    updateHints();
    updateButtons();
    const QSize cell = cellSize();
    resize(cell.width() * visibleCount(), cell.height());
    layoutButtons();
}

TDBNavBar::~TDBNavBar()
{
    // Buttons go with QWidget's children; the link must not call back into a
    // half-destroyed bar.
    m_link.SetDataSource(nullptr);
}

void TDBNavBar::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
    updateButtons();
}

TDataSet *TDBNavBar::dataSet() const
{
    return m_link.DataSet();
}

void TDBNavBar::SetVisibleButtons(unsigned buttons)
{
    m_visible = buttons & ((1u << kNavButtonCount) - 1);
    if (m_visible && !(m_visible & (1u << m_focused))) {
        m_focused = 0;
        while (!(m_visible & (1u << m_focused))) ++m_focused;
    }
    updateGeometry();
    layoutButtons();
    updateFocusRect();
}

void TDBNavBar::SetHints(const QStringList &hints)
{
    m_hints = hints;
    updateHints();
}

void TDBNavBar::updateHints()
{
    for (int i = 0; i < kNavButtonCount; ++i) {
        const QString own = m_hints.value(i);
        const QString hint = own.isEmpty() ? QString::fromLatin1(kDefaultHints[i]) : own;
        m_buttons[std::size_t(i)]->setToolTip(hint);
        // Picture-only buttons are named by their hint.
        m_buttons[std::size_t(i)]->setAccessibleName(hint);
    }
}

void TDBNavBar::SetFlat(bool value)
{
    m_flat = value;
    applyLook();
}

void TDBNavBar::SetGlyphSize(TGlyphSize value)
{
    m_glyphSize = value;
    for (TNavBarButton *b : m_buttons) b->setGlyphSize(m_glyphSize, m_glyphCustomSize);
    updateGeometry();
    layoutButtons();
}

void TDBNavBar::SetGlyphCustomSize(int value)
{
    m_glyphCustomSize = value;
    if (m_glyphSize == TGlyphSize::gsCustom) SetGlyphSize(m_glyphSize);
}

void TDBNavBar::SetOrientation(Qt::Orientation value)
{
    m_orientation = value;
    updateGeometry();
    layoutButtons();
}

void TDBNavBar::SetAlign(TAlign value)
{
    m_align = value;
    layoutButtons();
}

void TDBNavBar::SetColors(const Look &look)
{
    m_look = look;
    applyLook();
}

void TDBNavBar::applyLook()
{
    for (TNavBarButton *b : m_buttons) {
        b->Flat = m_flat;
        b->Color = m_look.Color;
        b->ColorTo = m_look.ColorTo;
        b->ColorHot = m_look.ColorHot;
        b->ColorHotTo = m_look.ColorHotTo;
        b->ColorDown = m_look.ColorDown;
        b->ColorDownTo = m_look.ColorDownTo;
        b->BorderColor = m_look.BorderColor;
        b->BorderHotColor = m_look.BorderHotColor;
        b->BorderDownColor = m_look.BorderDownColor;
        b->Shaded = m_look.Shaded;
        b->update();
    }
}

// ---- actions --------------------------------------------------------------

const std::function<void(TDBNavBar *)> &TDBNavBar::replacementFor(int index) const
{
    switch (index) {
    case nbFirst: return OnBtnFirst;
    case nbPrior: return OnBtnPrior;
    case nbNext: return OnBtnNext;
    case nbLast: return OnBtnLast;
    case nbInsert: return OnBtnInsert;
    case nbDelete: return OnBtnDelete;
    case nbEdit: return OnBtnEdit;
    case nbPost: return OnBtnPost;
    case nbCancel: return OnBtnCancel;
    case nbRefresh: return OnBtnRefresh;
    case nbSearch: return OnBtnSearch;
    case nbSetBookmark: return OnBtnSetBookmark;
    default: return OnBtnGotoBookmark;
    }
}

void TDBNavBar::BtnClick(int index)
{
    if (index < 0 || index >= kNavButtonCount) {
        qWarning("TDBNavBar::BtnClick: no button %d", index);
        return;
    }
    TDataSet *ds = dataSet();
    if (ds && ds->Active()) {
        if (BeforeAction) BeforeAction(this, index);
        if (const auto &replacement = replacementFor(index)) replacement(this);
        else defaultAction(index);
    }
    if (OnClick) OnClick(this, index);
}

void TDBNavBar::defaultAction(int index)
{
    TDataSet *ds = dataSet();
    switch (index) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbDelete:
        if (ConfirmDelete) {
            TMessageBoxDlg box(this);
            const int answer = box.ShowMessageAsk(QStringLiteral("Delete record?"), TMsgDlgType::mtConfirmation, 0,
                                                  TMsgDlgButtons(mbOK) | mbCancel);
            if (answer != mrOk) return;
        }
        ds->Delete();
        break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh: ds->Refresh(); break;
    case nbSearch: break;   // no search window in this program; OnBtnSearch supplies one
    case nbSetBookmark:
        m_bookmark = ds->GetBookmark();
        updateButtons();
        break;
    case nbGotoBookmark:
        if (!m_bookmark.isEmpty()) ds->GotoBookmark(m_bookmark);
        break;
    default: break;
    }
}

// ---- enabled state --------------------------------------------------------

void TDBNavBar::activeChanged()
{
    updateButtons();
}

void TDBNavBar::dataChanged()
{
    updateButtons();
}

void TDBNavBar::editingChanged()
{
    updateButtons();
}

void TDBNavBar::updateButtons()
{
    std::array<bool, kNavButtonCount> on{};
    TDataSet *ds = dataSet();
    if (isEnabled() && m_link.Active() && ds) {
        const bool bof = ds->Bof();
        const bool eof = ds->Eof();
        const bool canModify = ds->CanModify();
        const DataSetState s = ds->State();
        const bool editing = s == DataSetState::Edit || s == DataSetState::Insert;
        on[nbFirst] = on[nbPrior] = !bof;
        on[nbNext] = on[nbLast] = !eof;
        on[nbInsert] = on[nbRefresh] = canModify;
        on[nbDelete] = canModify && !(bof && eof);
        on[nbEdit] = canModify && !editing;
        on[nbPost] = on[nbCancel] = canModify && editing;
        on[nbSearch] = on[nbSetBookmark] = true;
        on[nbGotoBookmark] = !m_bookmark.isEmpty();
    }
    for (int i = 0; i < kNavButtonCount; ++i) m_buttons[std::size_t(i)]->setEnabled(on[std::size_t(i)]);
}

void TDBNavBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) updateButtons();
    QWidget::changeEvent(event);
}

// ---- layout ---------------------------------------------------------------

int TDBNavBar::visibleCount() const
{
    int n = 0;
    for (int i = 0; i < kNavButtonCount; ++i)
        if (m_visible & (1u << i)) ++n;
    return n < 1 ? 1 : n;
}

QSize TDBNavBar::cellSize() const
{
    switch (m_glyphSize) {
    case TGlyphSize::gsLarge: return {32, 30};
    case TGlyphSize::gsCustom: return {m_glyphCustomSize, m_glyphCustomSize - 2};
    default: return {20, 18};
    }
}

QSize TDBNavBar::minimumSizeHint() const
{
    const QSize cell = cellSize();
    const int n = visibleCount();
    return m_orientation == Qt::Horizontal ? QSize(cell.width() * n, cell.height())
                                           : QSize(cell.width(), cell.height() * n);
}

QSize TDBNavBar::sizeHint() const
{
    return minimumSizeHint();
}

void TDBNavBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void TDBNavBar::layoutButtons()
{
    if (m_layingOut) return;
    m_layingOut = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_layingOut};

    const bool horizontal = m_orientation == Qt::Horizontal;
    const int n = visibleCount();
    const QSize minimum = minimumSizeHint();
    int length = horizontal ? width() : height();
    const int thickness = horizontal ? height() : width();

    // A free-standing bar snaps to whole cells; one aligned to an edge takes
    // the length its parent gives it.
    int wanted = std::max(length, horizontal ? minimum.width() : minimum.height());
    if (m_align == TAlign::alNone) wanted -= wanted % n;
    const int wantedThickness = std::max(thickness, horizontal ? minimum.height() : minimum.width());
    if (wanted != length || wantedThickness != thickness) {
        if (horizontal) resize(wanted, wantedThickness);
        else resize(wantedThickness, wanted);
        length = wanted;
    }

    const int each = length / n;
    const int remainder = length - n * each;
    int counter = n / 2;
    int pos = 0;
    for (int i = 0; i < kNavButtonCount; ++i) {
        TNavBarButton *b = m_buttons[std::size_t(i)];
        if (!(m_visible & (1u << i))) {
            b->setGeometry(horizontal ? QRect(length + 1, 0, each, wantedThickness)
                                      : QRect(0, length + 1, wantedThickness, each));
            b->setVisible(false);
            continue;
        }
        int size = each;
        const int t = counter - remainder;
        if (t < 0) {
            ++size;
            counter = t + n;
        } else {
            counter = t;
        }
        b->setGeometry(horizontal ? QRect(pos, 0, size, wantedThickness) : QRect(0, pos, wantedThickness, size));
        b->setVisible(true);
        pos += size;
    }
}

// ---- keyboard -------------------------------------------------------------

bool TDBNavBar::buttonPressed(int index)
{
    if (focusPolicy() == Qt::NoFocus || !isVisible() || !isEnabled()) return true;
    QWidget *before = QApplication::focusWidget();
    m_focused = index;
    setFocus(Qt::MouseFocusReason);
    updateFocusRect();
    // The control being left refused its value (and has said so): the press
    // must not post or move with it.
    if (!before || before == this) return true;
    return !exitRefusal::refused(before) && QApplication::focusWidget() != before;
}

void TDBNavBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        for (int i = m_focused - 1; i >= 0; --i)
            if (m_visible & (1u << i)) {
                m_focused = i;
                break;
            }
        updateFocusRect();
        break;
    case Qt::Key_Right:
        for (int i = m_focused + 1; i < kNavButtonCount; ++i)
            if (m_visible & (1u << i)) {
                m_focused = i;
                break;
            }
        updateFocusRect();
        break;
    case Qt::Key_Space:
        if (m_buttons[std::size_t(m_focused)]->isEnabled()) m_buttons[std::size_t(m_focused)]->Click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TDBNavBar::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    updateFocusRect();
}

void TDBNavBar::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    updateFocusRect();
}

void TDBNavBar::updateFocusRect()
{
    const bool focus = hasFocus();
    for (int i = 0; i < kNavButtonCount; ++i) m_buttons[std::size_t(i)]->setShowFocusRect(focus && i == m_focused);
}

bool TDBNavBar::event(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QWidget::event(event); });
    return handled;
}
