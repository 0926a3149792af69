#include "app/frm_main.h"
#include "report/chart/frgraphobject.h"
#include "app/application.h"
#include "app/diaryfiles.h"
#include "app/frm_pass.h"
#include "app/frm_stampa.h"
#include "controls/accessible.h"
#include "controls/dbdateedit.h"
#include "controls/dbedit.h"
#include "controls/dbmemo.h"
#include "controls/dbnavbar.h"
#include "controls/dbtext.h"
#include "controls/messageboxdlg.h"
#include "data/archive.h"
#include "data/daodatabase.h"
#include "data/daotable.h"
#include "data/datasource.h"
#include "data/engineerror.h"
#include "data/lockfile.h"
#include "grid/colors.h"
#include "grid/exrichdbgrid.h"
#include "report/frbuilder.h"
#include "report/frloadresult.h"
#include "report/frmessagesink.h"
#include "report/designer/frdesigner.h"
#include "report/preview/frpreview.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "settings/formstorage.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QShortcut>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QSize kDesignedSize(635, 483);   // the window's client area as designed
const int kCommandBarHeight = 41;
const int kNavigatorHeight = 30;

const QColor kWorkspace(0xAB, 0xAB, 0xAB);
const QColor kSilver(0xC0, 0xC0, 0xC0);

const QString kDeleteQuestion = QStringLiteral("   Confermi la cancellazione di questa registrazione ?   ");
const QString kConnectionError = QStringLiteral("   Errore di connessione al DB.   ");
const QString kDamagedArchive =
    QStringLiteral("   L'archivio è danneggiato: la copia di sicurezza precedente è stata conservata.   ");
const QString kReadOnlyArchive =
    QStringLiteral("   L'archivio è aperto in sola lettura: si può consultare e stampare, ma non modificare.   ");
const QString kArchiveInUse =
    QStringLiteral("   L'archivio è in uso da un altro programma: chiuderlo e riavviare Tonalba.   ");
const int kOtherStartWaitMs = 15000;
const QString kArchiveExists = QStringLiteral("   Esiste già un archivio con il nome %1: scegliere un altro nome.   ");

// The report engine's messages (a dataset missing from a template, a damaged
// template, a build error) shown as the program's message boxes.
void showReportMessage(const QString &text, const QString &caption, TfrMessageIcon icon)
{
    QString shown = text;
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n")).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QMessageBox::Icon kind = icon == TfrMessageIcon::Error     ? QMessageBox::Critical
                                   : icon == TfrMessageIcon::Warning ? QMessageBox::Warning
                                                                     : QMessageBox::Information;
    QMessageBox box(kind, caption.isEmpty() ? TApplication::Title() : caption, shown, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

QFont pixelFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Microsoft Sans Serif"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The pictures of the buttons, drawn here so the program ships no image files.
QIcon drawIcon(int kind, int size = 32)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    const QPen outline(QColor(40, 40, 60), 1.5);
    p.setPen(outline);
    switch (kind) {
    case 0: // day card
        p.setBrush(QColor(250, 250, 240));
        p.drawRoundedRect(QRectF(5, 4, 22, 25), 2, 2);
        p.setBrush(QColor(200, 40, 50));
        p.drawRect(QRectF(5, 4, 22, 6));
        p.setPen(QPen(QColor(60, 60, 90), 1.5));
        for (int y : {15, 19, 23}) p.drawLine(QPointF(9, y), QPointF(23, y));
        break;
    case 1: // list of days
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(4, 5, 24, 22));
        for (int i = 0; i < 4; ++i) {
            p.fillRect(QRectF(5, 6 + i * 5, 22, 4), i % 2 ? QColor(255, 255, 255) : QColor(210, 210, 210));
        }
        p.setPen(QPen(QColor(0, 0, 128), 1));
        p.drawLine(QPointF(12, 5), QPointF(12, 27));
        break;
    case 2: // printer
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(9, 19, 14, 9));
        p.setBrush(QColor(60, 200, 60));
        p.drawEllipse(QPointF(24, 15.5), 1.2, 1.2);
        break;
    case 3: { // settings
        p.setBrush(QColor(120, 130, 150));
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(16, 16);
            p.rotate(i * 45);
            p.drawRect(QRectF(-2.5, -13, 5, 6));
            p.restore();
        }
        p.drawEllipse(QPointF(16, 16), 9, 9);
        p.setBrush(QColor(240, 240, 240));
        p.drawEllipse(QPointF(16, 16), 3.5, 3.5);
        break;
    }
    case 4: // manual
        p.setBrush(QColor(30, 80, 160));
        p.drawRoundedRect(QRectF(6, 4, 20, 25), 2, 2);
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(QRectF(9, 7, 14, 19));
        p.setPen(QPen(QColor(200, 40, 50), 2));
        p.drawText(QRectF(9, 7, 14, 19), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case 5: // edit the template: a page and a pencil
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(5, 4, 17, 23));
        p.setPen(QPen(QColor(90, 90, 90), 1));
        for (int y : {9, 13, 17}) p.drawLine(QPointF(8, y), QPointF(19, y));
        p.setPen(outline);
        p.setBrush(QColor(240, 190, 40));
        p.save();
        p.translate(22, 20);
        p.rotate(45);
        p.drawRect(QRectF(-2.5, -10, 5, 16));
        p.restore();
        break;
    case 6: // new archive: a database with a plus
        p.setBrush(QColor(180, 200, 230));
        p.drawRect(QRectF(5, 8, 16, 18));
        p.drawEllipse(QRectF(5, 4, 16, 7));
        p.drawEllipse(QRectF(5, 23, 16, 6));
        p.setBrush(QColor(40, 160, 60));
        p.drawEllipse(QPointF(23, 22), 7, 7);
        p.setPen(QPen(Qt::white, 2.5));
        p.drawLine(QPointF(23, 18), QPointF(23, 26));
        p.drawLine(QPointF(19, 22), QPointF(27, 22));
        break;
    }
    return QIcon(pm);
}

QIcon drawLinkPicture()
{
    QPixmap pm(176, 36);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath heart;
    heart.moveTo(18, 31);
    heart.cubicTo(2, 20, 4, 6, 12, 6);
    heart.cubicTo(15, 6, 17, 8, 18, 11);
    heart.cubicTo(19, 8, 21, 6, 24, 6);
    heart.cubicTo(32, 6, 34, 20, 18, 31);
    p.fillPath(heart, QColor(200, 40, 50));
    p.setPen(QPen(Qt::white, 1.6));
    p.drawPolyline(QPolygonF({QPointF(6, 18), QPointF(12, 18), QPointF(15, 13), QPointF(19, 23), QPointF(22, 16),
                              QPointF(30, 16)}));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(20, 40, 90));
    p.drawText(QRectF(40, 0, 136, 36), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Tonalba"));
    return QIcon(pm);
}

QToolButton *flatButton(QWidget *parent, const QString &name, const QString &hint, const QIcon &icon, QSize size)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    // A picture-only button is named by its hint; the hint stays its description.
    b->setAccessibleName(hint);
    b->setIcon(icon);
    b->setIconSize(size - QSize(4, 4));
    b->setFixedSize(size);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel *label(QWidget *parent, const QString &text, int x, int y, int w = 100, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 14);
    if (bold) l->setFont(pixelFont(11, true));
    return l;
}


TDBEdit *dbEdit(QWidget *parent, TDataSource *source, const QString &field, const QString &name, int x, int y,
                int w)
{
    auto *e = new TDBEdit(parent);
    e->setObjectName(name);
    e->SetDataSource(source);
    e->SetDataField(field);
    e->setGeometry(x, y, w, 21);
    return e;
}

} // namespace

// ---- gradient panel -------------------------------------------------------

TGradientPanel::TGradientPanel(const QColor &from, const QColor &to, int steps, QWidget *parent)
    : QWidget(parent), m_from(from), m_to(to), m_steps(std::max(1, steps))
{
}

void TGradientPanel::paintEvent(QPaintEvent *)
{
    // Bands of solid colour, as the panel was designed, rather than a smooth ramp.
    QPainter p(this);
    const int h = height();
    for (int i = 0; i < m_steps; ++i) {
        const int y0 = i * h / m_steps, y1 = (i + 1) * h / m_steps;
        if (y1 <= y0) continue;
        const qreal t = m_steps > 1 ? qreal(i) / (m_steps - 1) : 0;
        const QColor c(int(m_from.red() + (m_to.red() - m_from.red()) * t),
                       int(m_from.green() + (m_to.green() - m_from.green()) * t),
                       int(m_from.blue() + (m_to.blue() - m_from.blue()) * t));
        p.fillRect(0, y0, width(), y1 - y0, c);
    }
}

void TGradientPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (OnResize) OnResize();
}

// ---- hooks ----------------------------------------------------------------

std::function<bool(const QUrl &)> &Tfrm_main::openUrlHook()
{
    static std::function<bool(const QUrl &)> hook = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    return hook;
}

std::function<QString(Tfrm_pass *)> &Tfrm_main::chooserHook()
{
    static std::function<QString(Tfrm_pass *)> hook = [](Tfrm_pass *chooser) {
        chooser->exec();
        return chooser->chosen();
    };
    return hook;
}

std::function<int(Tfrm_stampa *)> &Tfrm_main::periodDialogHook()
{
    static std::function<int(Tfrm_stampa *)> hook = [](Tfrm_stampa *dialog) { return dialog->exec(); };
    return hook;
}

std::function<QString(QWidget *)> &Tfrm_main::askArchiveNameHook()
{
    static std::function<QString(QWidget *)> hook = [](QWidget *parent) {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(QStringLiteral("Nuovo archivio"));
        dialog.setLabelText(QStringLiteral("Nome del nuovo archivio"));
        dialog.setTextValue(QString());
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(QStringLiteral("Cancel"));
        if (auto *edit = dialog.findChild<QLineEdit *>()) edit->setMaxLength(255);
        return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
    };
    return hook;
}

// ---- construction ---------------------------------------------------------

Tfrm_main::Tfrm_main(const QStringList &arguments, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_main"));
    setFont(pixelFont(11));
    resize(kDesignedSize);

    Database = new TDaoDatabase(this);
    Database->setObjectName(QStringLiteral("Database"));
    Database->SetDatabaseType(QStringLiteral("Access"));
    Database->SetExclusive(false);
    Database->SetReadOnly(false);
    Database->SetLoginPrompt(false);
    Database->SetUserName(QStringLiteral("Admin"));
    Database->SetSystemDatabase(QStringLiteral("system.mdb"));
    Database->SetVersion(QStringLiteral("3.6"));
    Database->SetWorkspace(QStringLiteral("DaoWorkspace"));
    Database->SetQueryTimeout(60);
    Database->SetMdbVersionAutoDetect(false);

    Diario = new TDaoTable(this);
    Diario->setObjectName(QStringLiteral("Diario"));
    Intesta = new TDaoTable(this);
    Intesta->setObjectName(QStringLiteral("Intesta"));
    for (TDaoTable *t : {Diario, Intesta}) {
        t->SetDatabase(Database);
        t->SetTableType(2);
        t->SetLockType(3);
        t->SetComponentVersion(QStringLiteral("8.00"));
    }
    Diario->SetTableName(QStringLiteral("Diario"));
    Diario->SetOpenOptions(TDaoOpenOption::dbSeeChanges);
    Intesta->SetTableName(QStringLiteral("Intestazione"));

    model = new TDiaryModel(this, Diario, Intesta);
    model->attach();
    Diario->SetOnFilterRecord([this](TDataSet *ds, bool &accept) { model->DiarioFilterRecord(ds, accept); });
    Diario->SetFiltered(true);
    Diario->BeforeDelete = [this](TDataSet *ds) { DiarioBeforeDelete(ds); };

    ds_diario = new TDataSource(this);
    ds_diario->setObjectName(QStringLiteral("ds_diario"));
    ds_diario->SetDataSet(Diario);
    ds_intesta = new TDataSource(this);
    ds_intesta->setObjectName(QStringLiteral("ds_intesta"));
    ds_intesta->SetDataSet(Intesta);

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetWindowCallsStorage(true);

    mymsg = new TMessageBoxDlg(this);
    mymsg->setObjectName(QStringLiteral("mymsg"));
    mymsg->MessageAlignment = Qt::AlignCenter;
    mymsg->CaptionAlignment = Qt::AlignCenter;
    mymsg->BoxHeight = 100;
    mymsg->DlgType = TMsgDlgType::mtWarning;

    frReport1 = new TfrReport(this);
    frReport1->setObjectName(QStringLiteral("frReport1"));
    frReport1->Title = QStringLiteral("Prossimi appuntamenti");
    frReport1->ShowProgress = false;
    frReport1->PixelsPerInch = 96;
    // Templates name this window's tables as "frm_main.Diario" and "frm_main.Intesta".
    frRegistry::registerOwner(this);
    // The engine's builder and preview window, unless some were put in place already (tests).
    if (!frRegistry::builder()) frBuilder::install();
    if (!frRegistry::preview()) TStandardPreview::Register();
    if (!frRegistry::designer()) TfrDesigner::Register();
    // The chart kind, so the diary's template with its chart loads.
    TfrGraphObject::Register();
    frSetMessageSink(showReportMessage);
    frSetBeep([] { QApplication::beep(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildCommandBar();
    layout->addWidget(Panel1);
    // The pages scroll, rather than overlap, on a screen smaller than the
    // designed window (large font scales); elsewhere the scroll bars never show.
    PageScroller = new QScrollArea(this);
    PageScroller->setObjectName(QStringLiteral("PageScroller"));
    // Only there for large fonts: it scrolls, it takes no place in the tab order.
    PageScroller->setFocusPolicy(Qt::NoFocus);
    PageScroller->setFrameShape(QFrame::NoFrame);
    PageScroller->setWidgetResizable(true);
    PageControl1 = new QStackedWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setMinimumSize(kDesignedSize.width(), kDesignedSize.height() - kCommandBarHeight - kNavigatorHeight);
    PageScroller->setWidget(PageControl1);
    layout->addWidget(PageScroller, 1);
    buildCardPage();
    buildListPage();
    buildConfigPage();

    nav_diario = new TDBNavBar(this);
    nav_diario->setObjectName(QStringLiteral("nav_diario"));
    nav_diario->setAccessibleName(QStringLiteral("Barra di navigazione"));
    nav_diario->SetAlign(TAlign::alBottom);
    nav_diario->SetDataSource(ds_diario);
    nav_diario->SetGlyphSize(TGlyphSize::gsLarge);
    nav_diario->ConfirmDelete = false;
    nav_diario->SetHints({"Primo", "Precedente", "Successivo", "Ultimo", "Inserisci", "Cancella", "Modifica",
                          "Conferma modifiche", "Annulla modifiche", "Aggiorna", "Find record", "Set bookmark",
                          "Goto bookmark"});
    TDBNavBar::Look look = nav_diario->Colors();
    look.Color = kSilver;
    look.ColorTo = kWorkspace;
    nav_diario->SetColors(look);
    nav_diario->setFixedHeight(kNavigatorHeight);
    layout->addWidget(nav_diario);

    PageControl1->setCurrentWidget(tb_scheda);
    // Never smaller than designed, so labels do not run into the notes; a
    // smaller screen sets the limit and the pages scroll.
    const QSize available = screen() ? screen()->availableGeometry().size() : kDesignedSize;
    setMinimumSize(kDesignedSize.boundedTo(available));
    FormCreate(arguments);
}

Tfrm_main::~Tfrm_main()
{
    // The grid's layout is saved with the placement while the grid still exists.
    FormStorage1->FormDestroy();
    frRegistry::unregisterOwner(this);
    frSetMessageSink({});
    frSetBeep({});
    // The sources go first, so no bound control hears from a closing table.
    ds_diario->SetDataSet(nullptr);
    ds_intesta->SetDataSet(nullptr);
    try {
        Database->Close();
    } catch (const Exception &) {
    }
}

void Tfrm_main::buildCommandBar()
{
    Panel1 = new TGradientPanel(kWorkspace, kSilver, 120, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kCommandBarHeight);
    const struct
    {
        const char *hint;
        int icon;
        void (Tfrm_main::*handler)();
    } buttons[] = {
        {"Gestione giorno", 0, &Tfrm_main::ButtonPanel2Buttons0Click},
        {"Lista giorni", 1, &Tfrm_main::ButtonPanel2Buttons1Click},
        {"Stampa elenchi", 2, &Tfrm_main::ButtonPanel2Buttons2Click},
        {"Configurazione", 3, &Tfrm_main::ButtonPanel2Buttons4Click},
        {"Manuale", 4, &Tfrm_main::ButtonPanel2Buttons5Click},
    };
    int x = 0;
    for (const auto &b : buttons) {
        QToolButton *button = flatButton(Panel1, QStringLiteral("ButtonPanel2Button%1").arg(ButtonPanel2.size()),
                                         QString::fromUtf8(b.hint), drawIcon(b.icon), QSize(40, 40));
        button->move(x, 0);
        x += 40;
        connect(button, &QToolButton::clicked, this, [this, handler = b.handler] { guarded([&] { (this->*handler)(); }); });
        ButtonPanel2.append(button);
    }
    // Without the mouse: Alt and the command's initial for each command (the
    // program's own keys use none of them), and Ctrl+Tab / Ctrl+PgDn (with
    // Shift / Ctrl+PgUp backwards) through the three pages by the same commands.
    const char *const initials[] = {"G", "L", "S", "C", "M"};
    for (int i = 0; i < ButtonPanel2.size(); ++i) {
        auto *key = new QShortcut(QKeySequence(QStringLiteral("Alt+") + QLatin1String(initials[i])), this);
        QToolButton *button = ButtonPanel2[i];
        connect(key, &QShortcut::activated, button, &QToolButton::click);
    }
    for (const auto &[sequence, step] : {std::pair{"Ctrl+Tab", 1}, {"Ctrl+PgDown", 1}, {"Ctrl+Shift+Tab", -1},
                                         {"Ctrl+Backtab", -1}, {"Ctrl+PgUp", -1}}) {
        auto *key = new QShortcut(QKeySequence(QLatin1String(sequence)), this);
        connect(key, &QShortcut::activated, this, [this, step = step] { guarded([&] { stepPage(step); }); });
    }
    ButtonPanel1 = flatButton(Panel1, QStringLiteral("ButtonPanel1Button0"),
                              QStringLiteral("Informazioni su Tonalba"), drawLinkPicture(), QSize(180, 40));
    connect(ButtonPanel1, &QToolButton::clicked, this, [this] { guarded([this] { ButtonPanel1Buttons0Click(); }); });
    // Anchored to the right edge.
    Panel1->OnResize = [this] { ButtonPanel1->move(Panel1->width() - ButtonPanel1->width(), 0); };
}

void Tfrm_main::buildCardPage()
{
    tb_scheda = new QWidget(PageControl1);
    tb_scheda->setObjectName(QStringLiteral("tb_scheda"));
    PageControl1->addWidget(tb_scheda);
    QWidget *page = tb_scheda;

    DBText1 = new TDBText(page);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setFont(pixelFont(19, true));
    DBText1->SetDataSource(ds_intesta);
    DBText1->SetDataField(QStringLiteral("Nome"));
    DBText1->setGeometry(8, 4, 297, 24);

    QLabel *dataLabel = label(page, QStringLiteral("Data"), 8, 30);
    DataEdit = new TDBDateEdit(page);
    DataEdit->setObjectName(QStringLiteral("DBDateEdit1"));
    DataEdit->SetDataSource(ds_diario);
    DataEdit->SetDataField(QStringLiteral("Data"));
    DataEdit->setGeometry(8, 44, 121, 21);
    nameByLabel(dataLabel, DataEdit);
    QLabel *pesoLabel = label(page, QStringLiteral("Peso"), 136, 30);
    PesoEdit = dbEdit(page, ds_diario, QStringLiteral("Peso"), QStringLiteral("DBEditPeso"), 136, 44, 64);
    nameByLabel(pesoLabel, PesoEdit);

    QWidget *previous = PesoEdit;
    setTabOrder(DataEdit, PesoEdit);
    for (int g = 0; g < 2; ++g) {
        auto *box = new QGroupBox(g == 0 ? QStringLiteral(" prima rilevazione giornata ")
                                         : QStringLiteral(" seconda rilevazione giornata "),
                                  page);
        box->setObjectName(QStringLiteral("GroupBox%1").arg(g + 1));
        box->setGeometry(g == 0 ? 8 : 308, 72, 289, 112);
        (g == 0 ? GroupBox1 : GroupBox2) = box;
        const int colX[] = {124, 179, 234};
        label(box, QStringLiteral("PAS"), colX[0], 16, 49);
        label(box, QStringLiteral("Massima"), colX[0], 30, 55);
        label(box, QStringLiteral("PAD"), colX[1], 16, 49);
        label(box, QStringLiteral("Minima"), colX[1], 30, 55);
        label(box, QStringLiteral("Pulsazioni"), colX[2], 30, 55);
        const QString prefix = g == 0 ? QStringLiteral("SX_") : QStringLiteral("DX_");
        for (int row = 0; row < 2; ++row) {
            const int y = 48 + row * 28;
            label(box, row == 0 ? QStringLiteral("prima misurazione") : QStringLiteral("seconda misurazione"), 8, y + 4,
                  112);
            const char *kinds[] = {"MAX", "MIN", "PULS"};
            // Read aloud, each edit says its whole place: the group, the row and the column.
            const char *spoken[] = {"massima (PAS)", "minima (PAD)", "pulsazioni"};
            for (int c = 0; c < 3; ++c) {
                const QString field = prefix + QString::fromLatin1(kinds[c]) + QStringLiteral("_%1").arg(row + 1);
                TDBEdit *e = dbEdit(box, ds_diario, field, QStringLiteral("DBEdit") + field, colX[c], y, 49);
                e->setAccessibleName(QStringLiteral("%1 rilevazione, %2 misurazione, %3")
                                         .arg(g == 0 ? QStringLiteral("Prima") : QStringLiteral("Seconda"),
                                              row == 0 ? QStringLiteral("prima") : QStringLiteral("seconda"),
                                              QString::fromLatin1(spoken[c])));
                setTabOrder(previous, e);
                previous = e;
                ReadingEdits.append(e);
            }
        }
    }

    QLabel *noteLabel = label(page, QStringLiteral("Note"), 8, 178 + 0);
    NoteMemo = new TDBMemo(page);
    NoteMemo->setObjectName(QStringLiteral("DBMemoNote"));
    nameByLabel(noteLabel, NoteMemo);
    NoteMemo->SetDataSource(ds_diario);
    NoteMemo->SetDataField(QStringLiteral("Note"));
    NoteMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabOrder(previous, NoteMemo);

    LabelBMI = new QLabel(QStringLiteral("BMI"), page);
    LabelBMI->setFont(pixelFont(13, true));
    LabelBMI->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelPressione = new QLabel(QStringLiteral("Pressione"), page);
    LabelPressione->setFont(pixelFont(13, true));
    LabelPressione->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    DBTextBMI = new TDBText(page);
    DBTextBMI->setObjectName(QStringLiteral("DBTextBMI"));
    DBTextBMI->setFont(pixelFont(13, true));
    DBTextBMI->SetDataSource(ds_diario);
    DBTextBMI->SetDataField(QStringLiteral("S_BMI"));
    DBTextPRE = new TDBText(page);
    DBTextPRE->setObjectName(QStringLiteral("DBTextPRE"));
    DBTextPRE->setFont(pixelFont(13, true));
    DBTextPRE->SetDataSource(ds_diario);
    DBTextPRE->SetDataField(QStringLiteral("S_PRE"));

    // The memo stretches with the window; the two class lines stay at the bottom.
    class Anchors : public QObject
    {
    public:
        explicit Anchors(Tfrm_main *w) : QObject(w), m_w(w) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Resize || e->type() == QEvent::Show) {
                const int h = m_w->tb_scheda->height(), wd = m_w->tb_scheda->width();
                m_w->NoteMemo->setGeometry(8, 192, std::max(100, wd - 30), std::max(40, h - 192 - 48));
                m_w->LabelBMI->setGeometry(8, h - 42, 80, 18);
                m_w->DBTextBMI->setGeometry(92, h - 42, std::max(100, wd - 100), 18);
                m_w->LabelPressione->setGeometry(8, h - 22, 80, 18);
                m_w->DBTextPRE->setGeometry(92, h - 22, std::max(100, wd - 100), 18);
            }
            return false;
        }

    private:
        Tfrm_main *m_w;
    };
    tb_scheda->installEventFilter(new Anchors(this));
}

void Tfrm_main::buildListPage()
{
    tb_lista = new QWidget(PageControl1);
    tb_lista->setObjectName(QStringLiteral("tb_lista"));
    PageControl1->addWidget(tb_lista);
    auto *layout = new QVBoxLayout(tb_lista);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    grid_diario = new TExRichDBGrid(tb_lista);
    grid_diario->setObjectName(QStringLiteral("grid_diario"));
    // Named as the command that shows it.
    grid_diario->setAccessibleName(QStringLiteral("Lista giorni"));
    ConfigureListGrid(grid_diario);
    grid_diario->SetDataSource(ds_diario);
    grid_diario->SetIniStorage(FormStorage1);
    grid_diario->OnDblClick = [this](QObject *) { grid_diarioDblClick(); };
    grid_diario->OnTitleBtnClick = [this](QObject *, int col, TField *field) { grid_diarioTitleBtnClick(col, field); };
    layout->addWidget(grid_diario, 1);

    auto *bottom = new QWidget(tb_lista);
    bottom->setObjectName(QStringLiteral("Panel3"));
    bottom->setFixedHeight(31);
    auto *ricerca = new QLabel(QStringLiteral("Ricerca"), bottom);
    ricerca->setGeometry(8, 9, 50, 14);
    cerca = new QLineEdit(bottom);
    cerca->setObjectName(QStringLiteral("cerca"));
    cerca->setGeometry(60, 5, 265, 21);
    nameByLabel(ricerca, cerca);
    connect(cerca, &QLineEdit::textChanged, this, [this] { guarded([this] { cercaChange(); }); });
    layout->addWidget(bottom);
}

void Tfrm_main::ConfigureListGrid(TExRichDBGrid *grid)
{
    grid->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines
                            | dgCancelOnExit);
    grid->SetReadOnly(true);
    grid->SetTitleButtons(true);
    grid->SetScrollBars(TScrollStyle::ssHorizontal);
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->SetTitleFont(pixelFont(11));
    grid->SetDefaultRowHeight(17);
    grid->SetRowColor1(clBtnFace);
    grid->SetRowColor2(clWindow);
    grid->SetUseRowColors(true);
    grid->SetHighlightColor(clNavy);
    grid->SetHighlightFontColor(clWhite);
    const struct
    {
        const char *field;
        const char *title;
    } columns[] = {{"Data", nullptr}, {"Peso", nullptr}, {"BMI", nullptr},
                   {"MIN", "Minima"}, {"MAX", "Massima"}, {"Note", nullptr}};
    for (const auto &c : columns) {
        TColumn *column = grid->Columns().Add();
        column->SetFieldName(QString::fromLatin1(c.field));
        if (c.title) column->Title()->SetCaption(QString::fromLatin1(c.title));
    }
    grid->Columns()[5]->SetWidth(500);
}

void Tfrm_main::buildConfigPage()
{
    tb_config = new QWidget(PageControl1);
    tb_config->setObjectName(QStringLiteral("tb_config"));
    PageControl1->addWidget(tb_config);
    QWidget *page = tb_config;

    QLabel *nomeLabel = label(page, QStringLiteral("Cognome e Nome"), 8, 8, 200);
    NomeEdit = dbEdit(page, ds_intesta, QStringLiteral("Nome"), QStringLiteral("DBEditNome"), 8, 22, 285);
    QLabel *nascitaLabel = label(page, QStringLiteral("Data di nascita"), 8, 52, 120);
    NascitaEdit = new TDBDateEdit(page);
    NascitaEdit->setObjectName(QStringLiteral("DBDateEditNascita"));
    NascitaEdit->SetDataSource(ds_intesta);
    NascitaEdit->SetDataField(QStringLiteral("Data_Nascita"));
    NascitaEdit->setGeometry(8, 66, 121, 21);
    QLabel *altezzaLabel = label(page, QStringLiteral("Altezza (in metri)"), 144, 52, 120);
    AltezzaEdit = dbEdit(page, ds_intesta, QStringLiteral("Altezza"), QStringLiteral("DBEditAltezza"), 144, 66, 64);
    QLabel *terapiaDataLabel = label(page, QStringLiteral("Data inizio terapia"), 8, 96, 150);
    TerapiaDataEdit = new TDBDateEdit(page);
    TerapiaDataEdit->setObjectName(QStringLiteral("DBDateEditTerapia"));
    TerapiaDataEdit->SetDataSource(ds_intesta);
    TerapiaDataEdit->SetDataField(QStringLiteral("Data_terapia"));
    TerapiaDataEdit->setGeometry(8, 110, 121, 21);
    QLabel *terapiaLabel = label(page, QStringLiteral("Terapia attuale"), 8, 140, 150);
    TerapiaMemo = new TDBMemo(page);
    TerapiaMemo->setObjectName(QStringLiteral("DBMemoTerapia"));
    TerapiaMemo->SetDataSource(ds_intesta);
    TerapiaMemo->SetDataField(QStringLiteral("Terapia"));
    TerapiaMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TerapiaMemo->setGeometry(8, 154, 285, 89);
    nameByLabel(nomeLabel, NomeEdit);
    nameByLabel(nascitaLabel, NascitaEdit);
    nameByLabel(altezzaLabel, AltezzaEdit);
    nameByLabel(terapiaDataLabel, TerapiaDataEdit);
    nameByLabel(terapiaLabel, TerapiaMemo);

    BitBtn1 = new QPushButton(drawIcon(5), QStringLiteral("Modifica il tracciato di stampa"), page);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIconSize(QSize(32, 32));
    BitBtn1->setGeometry(316, 22, 285, 49);
    BitBtn2 = new QPushButton(drawIcon(6), QStringLiteral("Crea un nuovo archivio per un'altra persona"), page);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setIconSize(QSize(32, 32));
    BitBtn2->setGeometry(316, 82, 285, 49);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });

    setTabOrder(NomeEdit, NascitaEdit);
    setTabOrder(NascitaEdit, AltezzaEdit);
    setTabOrder(AltezzaEdit, TerapiaMemo);
    setTabOrder(TerapiaMemo, TerapiaDataEdit);
    setTabOrder(TerapiaDataEdit, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
}

// ---- start-up ---------------------------------------------------------------

void Tfrm_main::FormCreate(const QStringList &arguments)
{
    // Qt scales windows by the screen's pixels per inch itself; nothing to do twice.
    SetPrintFilterActive(false);
    AppFolder = DiaryFiles::applicationFolder();
    DiaryFiles::stageInstalledResources(AppFolder);
    try {
        Database->Close();
    } catch (const Exception &) {
    }
    FormStorage1->SetIniFileName(AppFolder + QStringLiteral("diario.ini"));
    FormStorage1->RestoreSettings();
    ArchiveName = QStringLiteral("schedario");
    chooseArchive(arguments);
    Database->SetDatabase(ArchiveFile());
    setWindowTitle(VersionTitle() + ArchiveName.toUpper());

    bool goOn = true;
    bool readOnly = false;
    try {
        backupAndCompact();
    } catch (const EAbort &) {
        goOn = false;
    } catch (const EDaoError &e) {
        // Another program, one that takes no lock file, is writing the archive.
        if (e.number() == dao::errLocked) {
            mymsg->ShowMessageText(kArchiveInUse);
            m_terminate = true;
            return;
        }
        TApplication::ShowException(e);
        // Compaction refused for want of disk or of write access: the diary can still be read.
        readOnly = e.number() == dao::errDiskFull || e.number() == dao::errReadOnly
                   || e.number() == dao::errCannotOpenFile;
        goOn = readOnly;
    } catch (const Exception &e) {
        // As a failure in the creation handler: shown, and the window opens unconnected.
        TApplication::ShowException(e);
        goOn = false;
    }
    if (goOn) connectAndOpen(readOnly);
}

void Tfrm_main::chooseArchive(const QStringList &arguments)
{
    if (arguments.size() == 1) {
        ArchiveName = DiaryFiles::archiveNameFromArgument(arguments.first());
        return;
    }
    const QStringList archives = DiaryFiles::listArchives(AppFolder);
    if (archives.size() == 1) {
        ArchiveName = archives.first();
    } else if (archives.size() > 1) {
        Tfrm_pass chooser(this);
        chooser.ComboBox1->setItems(archives);
        const QString chosen = chooserHook()(&chooser);
        if (!chosen.isEmpty()) ArchiveName = chosen;
    }
}

void Tfrm_main::backupAndCompact()
{
    const QString archive = ArchiveFile();
    if (TArchiveLock::isOpenElsewhere(archive)) {
        waitForOtherStart(archive);
        return;
    }
    TArchive::removeLeftovers(AppFolder);

    // The backup is replaced only by a good copy: a damaged archive keeps the
    // last good backup and is neither copied nor compacted.
    try {
        TArchive::copy(archive, BackupFile());
    } catch (const EDaoError &e) {
        if (e.number() == dao::errNotADatabase || e.number() == 3343) {
            mymsg->ShowMessageText(kDamagedArchive);
            return;
        }
        // Any other failed copy is silent: the start goes on without a backup.
    }
    try {
        Database->RepairDatabaseFile(archive, QString());
        Database->CompactDatabaseFile(archive, QString());
    } catch (const EDaoError &e) {
        // Another start took the archive after our check: it has done this work.
        if (e.number() == dao::errFileInUse) {
            waitForOtherStart(archive);
            return;
        }
        throw;
    }
}

// Another start may be copying or compacting the archive: that ends within
// seconds, and then the archive opens shared. A start that is only holding it
// open lets us in at once.
void Tfrm_main::waitForOtherStart(const QString &archive)
{
    TArchiveLock shared;
    shared.acquire(archive, TArchiveLock::Shared, kOtherStartWaitMs);
}

void Tfrm_main::connectAndOpen(bool readOnly)
{
    try {
        Database->SetReadOnly(readOnly);
        Database->Open();
        Diario->Open();
        Intesta->Open();
        Diario->Last();
    } catch (const std::exception &) {
        mymsg->ShowMessageText(kConnectionError);
        m_terminate = true;
        return;
    }
    if (readOnly) mymsg->ShowMessageText(kReadOnlyArchive);
}

// ---- commands ---------------------------------------------------------------

void Tfrm_main::showPage(QWidget *page, bool navigatorEnabled)
{
    nav_diario->setEnabled(navigatorEnabled);
    PageControl1->setCurrentWidget(page);
}

void Tfrm_main::ButtonPanel2Buttons0Click()
{
    showPage(tb_scheda, true);
}

void Tfrm_main::ButtonPanel2Buttons1Click()
{
    showPage(tb_lista, true);
}

void Tfrm_main::ButtonPanel2Buttons2Click()
{
    if (Diario->State() == DataSetState::Edit || Diario->State() == DataSetState::Insert) Diario->Post();
    Tfrm_stampa *dialog = periodDialog();
    dialog->ClearDates();
    // The doctor reads the period day after day, whatever order the list shows.
    const QStringList listSort = Diario->SortedBy();
    const QStringList dateOrder{QStringLiteral("Data")};
    if (Diario->Active() && listSort != dateOrder) Diario->SetSortedBy(dateOrder);
    // Cleared, and the list's order put back, on every way out: cancel, a
    // template that does not load, a failed build.
    struct ClearPrintFilter
    {
        Tfrm_main *window;
        QStringList listSort;
        ~ClearPrintFilter()
        {
            window->SetPrintFilterActive(false);
            if (window->Diario->SortedBy() == listSort || !window->Diario->Active()) return;
            try {
                window->Diario->SetSortedBy(listSort);
            } catch (const Exception &e) {
                TApplication::ShowException(e);
            }
        }
    } clearPrintFilter{this, listSort};
    // Through its change handler: no search, and the diary on its first row.
    cerca->clear();
    SetPrintFilterActive(true);

    if (periodDialogHook()(dialog) != QDialog::Accepted) return;
    model->PeriodFrom = dialog->From();
    model->PeriodTo = dialog->To();
    // The table refetched under the period: the report dataset returns to the
    // record it started on, which must be one the period lets through.
    if (Diario->Active()) Diario->First();
    // A damaged template leaves an empty page behind: nothing is shown then.
    bool damaged = false;
    if (!loadReportTemplate(damaged) || damaged) return;
    try {
        frReport1->PreviewReport();
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        TApplication::ShowException(e);
    }
}

Tfrm_stampa *Tfrm_main::periodDialog()
{
    // The program entry creates it; a window made without it gets its own.
    if (!frm_stampa) frm_stampa = new Tfrm_stampa(this);
    return frm_stampa;
}

bool Tfrm_main::loadReportTemplate(bool &damaged)
{
    damaged = false;
    try {
        const TfrLoadResult loaded = frReport1->LoadTemplate(AppFolder + QStringLiteral("diario.frf"));
        frShowLoadResult(loaded);
        damaged = !loaded;
    } catch (const EAbort &) {
        return false;
    } catch (const Exception &e) {
        TApplication::ShowException(e);
        return false;
    }
    return true;
}

void Tfrm_main::stepPage(int step)
{
    // The pages in the command bar's order, reached through their commands.
    QWidget *const pages[] = {tb_scheda, tb_lista, tb_config};
    const int here = int(std::find(std::begin(pages), std::end(pages), PageControl1->currentWidget()) - std::begin(pages));
    const int next = ((here < 3 ? here : 0) + step + 3) % 3;
    ButtonPanel2[next == 0 ? 0 : next == 1 ? 1 : 3]->click();
}

void Tfrm_main::ButtonPanel2Buttons4Click()
{
    showPage(tb_config, false);
}

void Tfrm_main::ButtonPanel2Buttons5Click()
{
    // A missing manual is the desktop's business: nothing to report here.
    openUrlHook()(QUrl::fromLocalFile(AppFolder + QStringLiteral("manuale.pdf")));
}

void Tfrm_main::ButtonPanel1Buttons0Click()
{
    openUrlHook()(QUrl::fromLocalFile(AppFolder + QStringLiteral("tonalba.html")));
}

void Tfrm_main::grid_diarioDblClick()
{
    PageControl1->setCurrentWidget(tb_scheda);
}

void Tfrm_main::grid_diarioTitleBtnClick(int, TField *Field)
{
    if (!Field) return;
    Diario->SetSortedBy({Field->FieldName});
    Diario->ApplySort();
    TDBGridColumns &columns = grid_diario->Columns();
    for (int i = 0; i < columns.Count(); ++i) columns[i]->Title()->SetColor(clBtnFace);
    for (int i = 0; i < columns.Count(); ++i)
        if (columns[i]->FieldName().compare(Field->FieldName, Qt::CaseInsensitive) == 0)
            columns[i]->Title()->SetColor(clSilver);
}

void Tfrm_main::cercaChange()
{
    model->SearchText = cerca->text();
    if (Diario->Active()) Diario->First();
}

void Tfrm_main::DiarioBeforeDelete(TDataSet *)
{
    if (mymsg->ShowMessageAsk(kDeleteQuestion, TMsgDlgType::mtConfirmation, 0, mbYes | mbNo) != mrYes) Abort();
}

void Tfrm_main::BitBtn1Click()
{
    // A damaged template still opens, on the empty page the engine leaves, so
    // the user can lay out a new one; a missing file opens nothing.
    bool damaged = false;
    if (!loadReportTemplate(damaged)) return;
    try {
        frShowLoadResult(frReport1->DesignTemplate());
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        TApplication::ShowException(e);
    }
}

void Tfrm_main::BitBtn2Click()
{
    const QString answer = askArchiveNameHook()(this);
    if (answer.isEmpty()) return;
    const QString name = DiaryFiles::CleanArchiveName(answer);
    if (name.isEmpty()) return;
    // Never overwrite or empty an archive that exists, the current one included.
    if (QFileInfo::exists(AppFolder + name + QStringLiteral(".mdb"))) {
        mymsg->ShowMessageText(kArchiveExists.arg(name));
        return;
    }

    Database->Close();
    DiaryFiles::trasferisci(AppFolder, ArchiveName + QStringLiteral(".mdb"), AppFolder, name + QStringLiteral(".mdb"));
    Database->SetDatabase(AppFolder + name + QStringLiteral(".mdb"));
    Database->Open();

    Intesta->Open();
    Intesta->Edit();
    model->IntestaNome->SetAsString(QStringLiteral("Inserire nome"));
    model->IntestaData_Nascita->Clear();
    model->IntestaAltezza->Clear();
    Intesta->Post();

    {
    // Every row goes, whatever the search edit holds, and without asking.
    const TDataSetNotifyEvent beforeDelete = Diario->BeforeDelete;
    Diario->BeforeDelete = nullptr;
    const bool filtered = Diario->Filtered();
    Diario->SetFiltered(false);
    struct Restore
    {
        TDaoTable *table;
        TDataSetNotifyEvent handler;
        bool filtered;
        ~Restore()
        {
            table->BeforeDelete = handler;
            table->SetFiltered(filtered);
        }
    } restore{Diario, beforeDelete, filtered};
    Diario->Open();
    while (!Diario->IsEmpty()) Diario->Delete();
    Diario->Close();
    }

    Database->Close();
    ArchiveName = name;
    Database->RepairDatabaseFile(ArchiveFile(), QString());
    Database->CompactDatabaseFile(ArchiveFile(), QString());
    Database->Open();
    Diario->Open();
    Intesta->Open();
    Diario->Last();
}

void Tfrm_main::FormClose()
{
    if (Diario->State() == DataSetState::Edit || Diario->State() == DataSetState::Insert) Diario->Post();
    if (Intesta->State() == DataSetState::Edit) Intesta->Post();
}

void Tfrm_main::closeEvent(QCloseEvent *event)
{
    // Asked whether it may close, the window saves its settings; then it posts.
    FormStorage1->FormCloseQuery(true);
    try {
        FormClose();
    } catch (const EAbort &) {
        event->ignore();
        return;
    } catch (const Exception &e) {
        event->ignore();
        TApplication::ShowException(e);
        return;
    }
    event->accept();
}
