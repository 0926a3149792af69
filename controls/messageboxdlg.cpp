#include "controls/messageboxdlg.h"
#include "controls/messageform_p.h"
#include "core/exceptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

struct ButtonInfo
{
    TMsgDlgBtn button;
    const char *name;
    const char *caption;
    int result;
};

// Creation order is layout order.
const ButtonInfo kButtons[] = {
    {mbYes, "Yes", "&Yes", mrYes},         {mbNo, "No", "&No", mrNo},
    {mbOK, "OK", "OK", mrOk},              {mbCancel, "Cancel", "Cancel", mrCancel},
    {mbAbort, "Abort", "Abort", mrAbort},  {mbRetry, "Retry", "&Retry", mrRetry},
    {mbIgnore, "Ignore", "&Ignore", mrIgnore}, {mbAll, "All", "&All", mrAll},
    {mbHelp, "Help", "&Help", mrNone},
};

constexpr int kIconSize = 32;
constexpr int kIconGap = 8;
constexpr int kStripHeight = 40;
constexpr int kShowAgainHeight = 20;

QFont defaultFont()
{
    QFont f(QStringLiteral("Microsoft Sans Serif"));
    f.setPixelSize(11);
    return f;
}

QPixmap iconFor(TMsgDlgType kind)
{
    QStyle::StandardPixmap sp;
    switch (kind) {
    case TMsgDlgType::mtWarning: sp = QStyle::SP_MessageBoxWarning; break;
    case TMsgDlgType::mtError: sp = QStyle::SP_MessageBoxCritical; break;
    case TMsgDlgType::mtInformation: sp = QStyle::SP_MessageBoxInformation; break;
    case TMsgDlgType::mtConfirmation: sp = QStyle::SP_MessageBoxQuestion; break;
    default: return {};
    }
    return QApplication::style()->standardIcon(sp).pixmap(kIconSize, kIconSize);
}

QSize textSize(const QFont &font, const QString &text)
{
    const QFontMetrics fm(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    int w = 0;
    for (const QString &line : lines) w = std::max(w, fm.horizontalAdvance(line));
    return {w, int(lines.size()) * fm.lineSpacing()};
}

} // namespace

TMessageBoxDlg::TMessageBoxDlg(QObject *owner) : QObject(owner)
{
    MessageFont = CaptionFont = ButtonFont = defaultFont();
}

TMessageBoxDlg::~TMessageBoxDlg() = default;

QString TMessageBoxDlg::formatPattern(const QString &pattern)
{
    QString out;
    out.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != QLatin1Char('%')) {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(pattern));
    }
    return out;
}

int TMessageBoxDlg::ShowMessageText(const QString &text)
{
    execute(text, DlgType, 0, mbOK);
    return mrOk;
}

int TMessageBoxDlg::ShowMessageAsk(const QString &text, std::optional<TMsgDlgType> kind, int defaultButton,
                                   TMsgDlgButtons buttons)
{
    return execute(text, kind.value_or(DlgType), defaultButton, buttons ? buttons : Buttons);
}

QWidget *TMessageBoxDlg::mainWindow() const
{
    // The owner's window when the component sits on one (as mymsg does on the
    // main window), else the application's main window.
    for (QObject *o = parent(); o; o = o->parent())
        if (auto *w = qobject_cast<QWidget *>(o)) return w->window();
    QWidget *fallback = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() != Qt::Window) continue;
        if (qobject_cast<QMainWindow *>(w)) return w;
        if (!fallback) fallback = w;
    }
    return fallback;
}

int TMessageBoxDlg::execute(const QString &text, TMsgDlgType kind, int defaultButton, TMsgDlgButtons buttons)
{
    const QString message = formatPattern(text);

    QWidget *active = QApplication::activeWindow();
    QWidget *main = mainWindow();
    TMessageForm form(active ? active : main);
    form.setWindowTitle(CaptionTitle.isEmpty() ? QCoreApplication::applicationName() : CaptionTitle);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, Color.isValid() ? Color : pal.color(QPalette::Button));
    form.setPalette(pal);
    form.setAutoFillBackground(true);

    QPixmap icon;
    if (CustomGlyph) icon = CustomGlyphImage;
    else icon = iconFor(kind);

    // The message: the icon, then the text.
    QLabel *image = nullptr;
    if (!icon.isNull()) {
        image = new QLabel(&form);
        image->setObjectName(QStringLiteral("Image"));
        image->setPixmap(icon);
    }
    auto *label = new QLabel(&form);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setFont(MessageFont);
    label->setText(message);
    label->setAlignment(MessageAlignment | Qt::AlignVCenter);
    const QSize ts = textSize(MessageFont, message);
    const QSize iconSize = icon.isNull() ? QSize() : icon.deviceIndependentSize().toSize();
    const int w = ts.width() + (icon.isNull() ? 0 : iconSize.width() + kIconGap);
    const int h = std::max(ts.height(), iconSize.height());
    if (ShowHints && !Hints.value(0).isEmpty()) {
        label->setToolTip(Hints.value(0));
        if (image) image->setToolTip(Hints.value(0));
    }

    // The button row, in creation order.
    auto *strip = new QWidget(&form);
    strip->setObjectName(QStringLiteral("ButtonPanel"));
    QList<QPushButton *> created;
    for (const ButtonInfo &info : kButtons) {
        if (!buttons.testFlag(info.button)) continue;
        const int k = int(created.size());
        auto *b = new QPushButton(strip);
        b->setObjectName(QString::fromLatin1(info.name));
        b->setText(k < ButtonTitles.size() ? ButtonTitles[k] : QString::fromLatin1(info.caption));
        b->setFont(ButtonFont);
        b->setAutoDefault(true);
        QPalette bp = b->palette();
        bp.setColor(QPalette::Button, QApplication::palette().color(QPalette::Button));
        b->setPalette(bp);
        if (ShowHints && !Hints.value(k + 1).isEmpty()) b->setToolTip(Hints.value(k + 1));
        const int result = info.result;
        if (info.button == mbHelp) {
            connect(b, &QPushButton::clicked, this, [this] {
                if (OnHelpClick) OnHelpClick(this);
            });
        } else {
            connect(b, &QPushButton::clicked, &form, [&form, result] { form.done(result); });
        }
        if (k == defaultButton) {
            b->setDefault(true);
            form.defaultButton = b;
        }
        created.append(b);
    }
    const int n = int(created.size());

    QCheckBox *again = nullptr;
    if (ShowAgainBox) {
        again = new QCheckBox(QStringLiteral("Don't show again"), strip);
        again->setObjectName(QStringLiteral("ShowAgainBox"));
        again->setFont(ButtonFont);
        again->setChecked(!ShowAgain);
        connect(again, &QCheckBox::clicked, this, [this](bool checked) { ShowAgain = !checked; });
    }

    // Sizes of the framed window.
    const int stripHeight = (n > 0 ? kStripHeight : 0) + (ShowAgainBox ? kShowAgainHeight : 0);
    int height = h + 25 + (n > 0 ? kStripHeight : 0) + (ShowAgainBox ? kShowAgainHeight : 0);
    int width = std::max(w + 10, 80 * n + 10);
    if (again) width = std::max(width, again->sizeHint().width() + 3);
    const int rowLeft = (width - 80 * n) / 2;
    if (BoxWidth != 0) width = BoxWidth + 4;
    if (BoxHeight != 0) height = BoxHeight + 20;

    form.OnClientSize = [&](const QSize &client) {
        strip->setGeometry(0, client.height() - stripHeight, client.width(), stripHeight);
        for (int k = 0; k < n; ++k) created[k]->setGeometry(rowLeft + 80 * k, 5, 75, 25);
        if (again) again->setGeometry(3, 35, std::max(again->sizeHint().width(), client.width() - 6), 17);
        const QRect area(5, 0, client.width() - 10, client.height() - stripHeight);
        if (image) {
            image->setGeometry(area.left(), area.top() + (area.height() - iconSize.height()) / 2,
                               iconSize.width(), iconSize.height());
            label->setGeometry(area.adjusted(iconSize.width() + kIconGap, 0, 0, 0));
        } else {
            label->setGeometry(area);
        }
    };

    // Placement of the framed window in the reference rectangle.
    const QSize outer(width, height);
    QScreen *screen = main ? main->screen() : QGuiApplication::primaryScreen();
    QRect ref = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    switch (RelatePos) {
    case TBoxRelatePos::brScreen: break;
    case TBoxRelatePos::brScreenWorkArea:
        if (screen) ref = screen->availableGeometry();
        break;
    case TBoxRelatePos::brMainForm:
        if (main) ref = main->frameGeometry();
        break;
    case TBoxRelatePos::brActiveWindow:
        if (active) ref = active->frameGeometry();
        else if (main) ref = main->frameGeometry();
        break;
    }
    QPoint pos;
    const int left = ref.left(), right = ref.left() + ref.width() - outer.width();
    const int top = ref.top(), bottom = ref.top() + ref.height() - outer.height();
    const int cx = ref.left() + (ref.width() - outer.width()) / 2;
    const int cy = ref.top() + (ref.height() - outer.height()) / 2;
    switch (Position) {
    case TBoxPosition::bpCustom: pos = ref.topLeft() + QPoint(BoxLeft, BoxTop); break;
    case TBoxPosition::bpTopLeft: pos = {left, top}; break;
    case TBoxPosition::bpTopCenter: pos = {cx, top}; break;
    case TBoxPosition::bpTopRight: pos = {right, top}; break;
    case TBoxPosition::bpCenterLeft: pos = {left, cy}; break;
    case TBoxPosition::bpCenter: pos = {cx, cy}; break;
    case TBoxPosition::bpCenterRight: pos = {right, cy}; break;
    case TBoxPosition::bpBottomLeft: pos = {left, bottom}; break;
    case TBoxPosition::bpBottomCenter: pos = {cx, bottom}; break;
    case TBoxPosition::bpBottomRight: pos = {right, bottom}; break;
    }
    form.setOuterPos(pos);
    form.setOuterSize(outer);

    const int result = form.exec();
    return result;
}
