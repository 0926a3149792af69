#include "report/designer/frdesignerform.h"

#include "report/designer/fralignform.h"
#include "report/designer/frbandtypesform.h"
#include "report/designer/frreportoptionsform.h"
#include "report/designer/frpictureform.h"
#include "report/designer/frpagesform.h"
#include "report/designer/frpageoptionsform.h"
#include "report/designer/frgroupform.h"
#include "report/designer/frbanddataform.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignersettings.h"
#include "report/designer/frdesignpage.h"
#include "report/designer/freditorform.h"
#include "report/designer/frhilightform.h"
#include "report/designer/frinspform.h"
#include "report/designer/frreportdirforms.h"
#include "report/designer/frruler.h"
#include "report/designer/frtemplforms.h"
#include "report/designer/frvareditorform.h"
#include "report/designer/frwizardform.h"
#include "report/frbandview.h"
#include "report/frcustompictureview.h"
#include "report/frbuildcontext.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frpictureview.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"
#include "report/frtemplatefile.h"

#include "core/exceptions.h"
#include "core/formatsettings.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPolygon>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <memory>

namespace {
const QString kTitle = QStringLiteral("Modellatore");
const QString kFilter = QStringLiteral("Quillo form (*.frf)|*.frf");
const QString kSaveFilter = QStringLiteral("Quillo form (*.frf)|*.frf|Modello Quillo (*.frt)|*.frt");
enum FrameLine { LineRight = 1, LineBottom = 2, LineLeft = 4, LineTop = 8, AllLines = 15 };
enum Layout { AlignMask = 3, Rotated = 4, VMask = 24 };
const int kFontSizes[] = {5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// The designer's own clipboard: copies of objects, living as long as the
// program, so a copy survives closing the designer and reaches another report.
struct ClipItem
{
    std::unique_ptr<TfrView> view;
    // A data band or chart's own dataset, to be copied with it.
    bool hasDataset = false;
    bool database = false;
    QPointer<TDataSet> dataSet;
    QString filter;
    bool filtered = false;
    TRangeBegin rangeBegin = rbFirst;
    TRangeEnd rangeEnd = reLast;
    int rangeEndCount = 0;
};
std::vector<ClipItem> &clipboard()
{
    static std::vector<ClipItem> items;
    return items;
}

bool isText(const TfrView *v) { return dynamic_cast<const TfrCustomMemoView *>(v) != nullptr; }
bool isBand(const TfrView *v) { return v->Kind == frKind::Band; }

// A small picture for a button without a theme icon: a letter or two.
QIcon letterIcon(const QString &text, int style = 0, Qt::Alignment align = Qt::AlignCenter)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(text.size() > 2 ? 8 : 12);
    f.setBold(style & 2);
    f.setItalic(style & 1);
    f.setUnderline(style & 4);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pm.rect(), int(align), text);
    return QIcon(pm);
}

// Lines for the alignment and frame buttons.
QIcon linesIcon(const std::function<void(QPainter &)> &draw)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 2));
    draw(p);
    return QIcon(pm);
}

QIcon copyIcon()
{
    return linesIcon([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(3, 3, 9, 11);
        p.drawRect(8, 7, 9, 11);
    });
}

QIcon pasteIcon()
{
    return linesIcon([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0xC0, 0x90, 0x50));
        p.drawRect(3, 4, 12, 14);
        p.setBrush(Qt::white);
        p.drawRect(9, 8, 8, 10);
        p.setBrush(Qt::gray);
        p.drawRect(6, 2, 6, 3);
    });
}

QIcon pictureIcon()
{
    return linesIcon([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0xC0, 0xE0, 0xFF));
        p.drawRect(2, 4, 16, 12);
        p.setBrush(QColor(0x40, 0x90, 0x40));
        p.drawPolygon(QPolygon({QPoint(3, 15), QPoint(8, 8), QPoint(12, 13), QPoint(14, 11), QPoint(17, 15)}));
    });
}

QIcon subreportIcon()
{
    return linesIcon([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(2, 3, 16, 14);
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(6, 8, 9, 6);
    });
}

QIcon chartIcon()
{
    return linesIcon([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(2, 17, 18, 17);
        p.setBrush(Qt::red);
        p.drawRect(4, 8, 3, 9);
        p.setBrush(Qt::blue);
        p.drawRect(9, 4, 3, 13);
        p.setBrush(Qt::darkGreen);
        p.drawRect(14, 11, 3, 6);
    });
}

QIcon alignIcon(int align)
{
    return linesIcon([align](QPainter &p) {
        const int widths[] = {14, 9, 14, 9};
        for (int i = 0; i < 4; ++i) {
            const int w = align == 3 ? 14 : widths[i];
            const int x = align == 0 || align == 3 ? 3 : align == 1 ? 17 - w : (20 - w) / 2;
            p.drawLine(x, 4 + i * 4, x + w, 4 + i * 4);
        }
    });
}

QIcon frameIcon(int lines)
{
    return linesIcon([lines](QPainter &p) {
        p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        p.drawRect(3, 3, 14, 14);
        p.setPen(QPen(Qt::black, 2));
        if (lines & LineTop) p.drawLine(3, 3, 17, 3);
        if (lines & LineLeft) p.drawLine(3, 3, 3, 17);
        if (lines & LineBottom) p.drawLine(3, 17, 17, 17);
        if (lines & LineRight) p.drawLine(17, 3, 17, 17);
    });
}
} // namespace

TFRDesignerForm::TFRDesignerForm(TfrReport &report, QWidget *parent) : QMainWindow(parent, Qt::Window), m_report(report)
{
    setObjectName(QStringLiteral("frDesignerForm"));
    setWindowTitle(kTitle);
    const QStringList families = FontFamilies();
    DefaultFontName = DefaultFont(families);
    if (m_report.Pages.Count() == 0) m_report.Pages.Add();
    buildActions();
    buildMenus();
    buildBars();
    buildBody();
    InspForm = new TInspForm(this);
    AlignForm = new TAlignForm(this);
    readSettings();
    m_curPage = 0;
    renumberTabs();
    SetCurPage(0);
    m_initial = m_report.SaveTemplateData();
    m_initialFileName = m_report.FileName;
    m_initialPath = m_report.FilePath();
    restartHistory();
    updateTitle();
    resize(1000, 740);
}

TFRDesignerForm::~TFRDesignerForm()
{
    for (int p = 0; p < m_report.Pages.Count(); ++p)
        for (TfrView *v : m_report.Pages[p]->Objects) v->Selected = false;
}

void TFRDesignerForm::exec()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    PageView->setFocus();
    QEventLoop loop;
    m_loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
}

// ---------------------------------------------------------------- building

QAction *TFRDesignerForm::makeAction(const QString &text, const QString &objectName)
{
    auto *a = new QAction(text, this);
    a->setObjectName(objectName);
    a->setToolTip(QString(text).remove(QLatin1Char('&')));
    return a;
}

QAction *TFRDesignerForm::Action(const QString &text) const
{
    const QList<QAction *> all = findChildren<QAction *>();
    for (QAction *a : all)
        if (QString(a->text()).remove(QLatin1Char('&')) == text || a->toolTip() == text) return a;
    return nullptr;
}

void TFRDesignerForm::buildActions()
{
    QStyle *st = style();
    auto act = [this](const QString &text, const QString &name, const QIcon &icon, auto slot) {
        QAction *a = makeAction(text, name);
        a->setIcon(icon);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    act(QStringLiteral("Nuovo report"), QStringLiteral("FileBtn1"), st->standardIcon(QStyle::SP_FileIcon), [this] { NewReport(); });
    act(QStringLiteral("Apri report"), QStringLiteral("FileBtn2"), st->standardIcon(QStyle::SP_DialogOpenButton), [this] { OpenReport(); });
    act(QStringLiteral("Salva report"), QStringLiteral("FileBtn3"), st->standardIcon(QStyle::SP_DialogSaveButton), [this] { Save(); });
    act(QStringLiteral("Anteprima report"), QStringLiteral("FileBtn4"), st->standardIcon(QStyle::SP_FileDialogContentsView), [this] { Preview(); });
    act(QStringLiteral("Taglia"), QStringLiteral("CutB"), letterIcon(QStringLiteral("✂")), [this] { Cut(); });
    act(QStringLiteral("Copia"), QStringLiteral("CopyB"), copyIcon(), [this] { Copy(); });
    act(QStringLiteral("Incolla"), QStringLiteral("PstB"), pasteIcon(), [this] { Paste(); });
    act(QStringLiteral("Annulla"), QStringLiteral("UndoB"), st->standardIcon(QStyle::SP_ArrowBack), [this] { Undo(); });
    act(QStringLiteral("Ripristina"), QStringLiteral("RedoB"), st->standardIcon(QStyle::SP_ArrowForward), [this] { Redo(); });
    act(QStringLiteral("Porta in primo piano"), QStringLiteral("ZB1"), letterIcon(QStringLiteral("▲")), [this] { BringToFront(); });
    act(QStringLiteral("Porta in secondo piano"), QStringLiteral("ZB2"), letterIcon(QStringLiteral("▼")), [this] { SendToBack(); });
    act(QStringLiteral("Seleziona tutto"), QStringLiteral("SelAllB"), letterIcon(QStringLiteral("⬚")), [this] { SelectAll(); });
    act(QStringLiteral("Aggiungi pagina"), QStringLiteral("PgB1"), letterIcon(QStringLiteral("+P")), [this] { AddPage(); });
    act(QStringLiteral("Rimuovi pagina"), QStringLiteral("PgB2"), letterIcon(QStringLiteral("−P")), [this] { RemovePage(); });
    act(QStringLiteral("Opzioni pagina"), QStringLiteral("PgB3"), letterIcon(QStringLiteral("P…")), [this] { EditPageOptions(); });
    act(QStringLiteral("Gestione pagine"), QStringLiteral("PgB4"), letterIcon(QStringLiteral("P⇅")), [this] { EditPageList(); });
    QAction *align = act(QStringLiteral("Allinea alla griglia"), QStringLiteral("GB2"), letterIcon(QStringLiteral("#")), [this](bool on) {
        GridAlign = on;
    });
    align->setCheckable(true);
    QAction *close = act(QStringLiteral("Chiudi"), QStringLiteral("ExitB"), st->standardIcon(QStyle::SP_DialogCloseButton), [this] { this->close(); });
    close->setToolTip(QStringLiteral("Chiudi modellatore"));

    // Text attributes.
    const struct { const char *text; const char *name; int align; } horizontal[] = {
        {"Allinea a sinistra", "AlB1", 0}, {"Allinea a destra", "AlB2", 1}, {"Centra", "AlB3", 2},
        {"Giustifica tutto il testo", "AlB6", 3}};
    auto *hGroup = new QActionGroup(this);
    for (const auto &h : horizontal) {
        const int value = h.align;
        QAction *a = act(QString::fromUtf8(h.text), QString::fromLatin1(h.name), alignIcon(value), [this, value] { SetHAlign(value); });
        a->setCheckable(true);
        hGroup->addAction(a);
    }
    const struct { const char *text; const char *name; int align; const char *glyph; } vertical[] = {
        {"Centra in verticale", "AlB7", 8, "↕"}, {"Allinea in alto", "AlB8", 0, "⤒"}, {"Allinea in basso", "AlB9", 16, "⤓"}};
    auto *vGroup = new QActionGroup(this);
    for (const auto &v : vertical) {
        const int value = v.align;
        QAction *a = act(QString::fromUtf8(v.text), QString::fromLatin1(v.name), letterIcon(QString::fromUtf8(v.glyph)),
                         [this, value] { SetVAlign(value); });
        a->setCheckable(true);
        vGroup->addAction(a);
    }
    act(QStringLiteral("Testo normale / 90 gradi"), QStringLiteral("AlB4"), letterIcon(QStringLiteral("↻")),
        [this](bool on) { SetRotated(on); })->setCheckable(true);
    act(QStringLiteral("Grassetto"), QStringLiteral("FnB1"), letterIcon(QStringLiteral("G"), 2),
        [this](bool on) { SetFontStyle(2, on); })->setCheckable(true);
    act(QStringLiteral("Corsivo"), QStringLiteral("FnB2"), letterIcon(QStringLiteral("C"), 1),
        [this](bool on) { SetFontStyle(1, on); })->setCheckable(true);
    act(QStringLiteral("Sottolineato"), QStringLiteral("FnB3"), letterIcon(QStringLiteral("S"), 4),
        [this](bool on) { SetFontStyle(4, on); })->setCheckable(true);
    act(QStringLiteral("Colore carattere"), QStringLiteral("ClB2"), letterIcon(QStringLiteral("A▆")), [this] { ChooseFontColor(); });
    act(QStringLiteral("Attributi evidenziatura"), QStringLiteral("HlB1"), letterIcon(QStringLiteral("H")), [this] { EditHighlight(); });

    // Frame.
    const struct { const char *text; const char *name; int line; } frames[] = {
        {"Linea bordo superiore", "FrB1", LineTop}, {"Linea bordo sinistro", "FrB2", LineLeft},
        {"Linea bordo inferiore", "FrB3", LineBottom}, {"Linea bordo destra", "FrB4", LineRight}};
    for (const auto &f : frames) {
        const int line = f.line;
        act(QString::fromUtf8(f.text), QString::fromLatin1(f.name), frameIcon(line),
            [this, line](bool on) { SetFrameLine(line, on); })->setCheckable(true);
    }
    act(QStringLiteral("Tutto il bordo"), QStringLiteral("FrB5"), frameIcon(AllLines), [this] { SetAllFrameLines(true); });
    act(QStringLiteral("Nessun bordo"), QStringLiteral("FrB6"), frameIcon(0), [this] { SetAllFrameLines(false); });
    act(QStringLiteral("Colore sfondo"), QStringLiteral("ClB1"), letterIcon(QStringLiteral("▆")), [this] { ChooseFillColor(); });
    act(QStringLiteral("Colore bordo"), QStringLiteral("ClB3"), letterIcon(QStringLiteral("□")), [this] { ChooseFrameColor(); });

    // Tools.
    m_toolGroup = new QActionGroup(this);
    const struct { const char *text; const char *name; const char *glyph; } tools[] = {
        {"Seleziona oggetto", "OB1", "↖"}, {"Inserisci rettangolo", "OB2", "Ab"}, {"Inserisci banda", "OB3", "▭"},
        {"Inserisci immagine", "OB4", ""}, {"Inserisci sottoreport", "OB5", ""}};
    auto addTool = [this](const QString &text, const QString &name, const QIcon &icon) {
        QAction *a = makeAction(text, name);
        a->setIcon(icon);
        a->setCheckable(true);
        const int index = int(ToolActions.size());
        connect(a, &QAction::triggered, this, [this, index] { SetTool(index); });
        m_toolGroup->addAction(a);
        ToolActions << a;
    };
    for (const auto &t : tools)
        addTool(QString::fromUtf8(t.text), QString::fromLatin1(t.name),
                *t.glyph ? letterIcon(QString::fromUtf8(t.glyph))
                         : QString::fromLatin1(t.name) == QLatin1String("OB4") ? pictureIcon() : subreportIcon());
    // An add-in without its own picture gets a chart's: the chart is the one we have.
    for (const TfrAddInObjectInfo &info : frRegistry::addIns())
        addTool(info.ButtonHint, info.ClassName,
                info.ButtonBmp.isNull() ? chartIcon() : QIcon(QPixmap::fromImage(info.ButtonBmp)));
    ToolActions.first()->setChecked(true);
}

void TFRDesignerForm::buildMenus()
{
    auto item = [this](QMenu *menu, const QString &text, const QString &name, auto slot, bool enabled = true) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        a->setEnabled(enabled);
        return a;
    };
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    item(FileMenu, QStringLiteral("Nuovo da autocomposizione..."), QStringLiteral("N23"), [this] { NewFromWizard(); });
    item(FileMenu, QStringLiteral("Nuovo da modello..."), QStringLiteral("N20"), [this] { NewFromTemplate(); });
    item(FileMenu, QStringLiteral("Apri..."), QStringLiteral("N19"), [this] { OpenReport(); });
    item(FileMenu, QStringLiteral("Salva"), QStringLiteral("N20s"), [this] { Save(); });
    item(FileMenu, QStringLiteral("Salva con nome..."), QStringLiteral("N17"), [this] { SaveAs(); });
    FileMenu->addSeparator();
    item(FileMenu, QStringLiteral("Lista variabili..."), QStringLiteral("N42"), [this] { EditVariables(); });
    item(FileMenu, QStringLiteral("Opzioni report..."), QStringLiteral("N8"), [this] { EditReportOptions(); });
    item(FileMenu, QStringLiteral("Opzioni pagina..."), QStringLiteral("N25"), [this] { EditPageOptions(); });
    FileMenu->addSeparator();
    item(FileMenu, QStringLiteral("Anteprima"), QStringLiteral("N39"), [this] { Preview(); })->setShortcut(Qt::Key_F9);
    RecentMenu = FileMenu->addMenu(QStringLiteral("&Riapri"));
    FileMenu->addSeparator();
    item(FileMenu, QStringLiteral("Esci"), QStringLiteral("N10"), [this] { close(); });

    EditMenu = menuBar()->addMenu(QStringLiteral("&Modifica"));
    item(EditMenu, QStringLiteral("Annulla"), QStringLiteral("N46"), [this] { Undo(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    item(EditMenu, QStringLiteral("Ripristina"), QStringLiteral("N48"), [this] { Redo(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EditMenu->addSeparator();
    item(EditMenu, QStringLiteral("Taglia"), QStringLiteral("N11"), [this] { Cut(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    item(EditMenu, QStringLiteral("Copia"), QStringLiteral("N12"), [this] { Copy(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    item(EditMenu, QStringLiteral("Incolla"), QStringLiteral("N13"), [this] { Paste(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    item(EditMenu, QStringLiteral("Cancella"), QStringLiteral("N27"), [this] { DeleteSelected(); });
    item(EditMenu, QStringLiteral("Selziona tutto"), QStringLiteral("N28"), [this] { SelectAll(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    item(EditMenu, QStringLiteral("Modifica..."), QStringLiteral("N29"), [this] { EditSelected(); });
    EditMenu->addSeparator();
    item(EditMenu, QStringLiteral("Aggiungi pagina"), QStringLiteral("N30"), [this] { AddPage(); });
    item(EditMenu, QStringLiteral("Rimuovi pagina"), QStringLiteral("N31"), [this] { RemovePage(); });
    EditMenu->addSeparator();
    item(EditMenu, QStringLiteral("Porta in primo piano"), QStringLiteral("N32"), [this] { BringToFront(); });
    item(EditMenu, QStringLiteral("Porta in secondo piano"), QStringLiteral("N33"), [this] { SendToBack(); });

    ToolsMenu = menuBar()->addMenu(QStringLiteral("&Strumenti"));
    QAction *grid = item(ToolsMenu, QStringLiteral("Griglia"), QStringLiteral("N34"), [this](bool on) {
        ShowGrid = on;
        PageView->update();
    });
    grid->setCheckable(true);
    grid->setChecked(true);
    ToolsMenu->addAction(findChild<QAction *>(QStringLiteral("GB2")));
    ToolsMenu->addSeparator();
    auto *sizes = new QActionGroup(this);
    const struct { const char *text; int size; } grids[] = {
        {"4 punti (circa 1 mm)", 4}, {"8 punti (circa 2 mm)", 8}, {"19 punti (circa 5 mm)", 19}};
    for (const auto &g : grids) {
        const int size = g.size;
        QAction *a = item(ToolsMenu, QString::fromUtf8(g.text), QStringLiteral("Grid%1").arg(size), [this, size] {
            GridSize = size;
            PageView->update();
        });
        a->setCheckable(true);
        sizes->addAction(a);
    }
    ToolsMenu->addSeparator();
    QMenu *look = ToolsMenu->addMenu(QStringLiteral("Selezione"));
    auto *looks = new QActionGroup(this);
    for (const bool invert : {false, true}) {
        QAction *a = item(look, invert ? QStringLiteral("Inverti") : QStringLiteral("Bordo"),
                          invert ? QStringLiteral("N41") : QStringLiteral("N40"), [this, invert] {
                              SelectionInvert = invert;
                              PageView->update();
                          });
        a->setCheckable(true);
        a->setChecked(!invert);
        looks->addAction(a);
    }
    QMenu *bars = ToolsMenu->addMenu(QStringLiteral("Barra degli strumenti"));
    bars->setObjectName(QStringLiteral("BarsMenu"));
    // The bar entries are filled once the bars exist (buildBars).
    QMenu *units = ToolsMenu->addMenu(QStringLiteral("Unità di misura"));
    auto *unitGroup = new QActionGroup(this);
    const char *unitNames[] = {"Punti", "Millimetri", "Pollici"};
    for (int u = 0; u < 3; ++u) {
        QAction *a = item(units, QString::fromUtf8(unitNames[u]), QStringLiteral("Unit%1").arg(u), [this, u] {
            Units = u;
            HRuler->setUnits(u);
            VRuler->setUnits(u);
            SelectionChanged();
        });
        a->setCheckable(true);
        unitGroup->addAction(a);
    }

    ContextMenu = new QMenu(this);
    ContextMenu->setObjectName(QStringLiteral("Popup1"));
    auto popup = [this](const QString &text, QKeySequence key, auto slot) {
        QAction *a = ContextMenu->addAction(text);
        a->setShortcut(key);
        // The keys act through the menus and the surface; here they are only shown.
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    popup(QStringLiteral("Taglia"), QKeySequence(Qt::CTRL | Qt::Key_X), [this] { Cut(); });
    popup(QStringLiteral("Copia"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] { Copy(); });
    popup(QStringLiteral("Incolla"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] { Paste(); });
    popup(QStringLiteral("Elimina"), QKeySequence(Qt::Key_Delete), [this] { DeleteSelected(); });
    popup(QStringLiteral("Seleziona tutto"), QKeySequence(Qt::CTRL | Qt::Key_A), [this] { SelectAll(); });
    ContextMenu->addSeparator();
    popup(QStringLiteral("Modifica..."), QKeySequence(), [this] { EditSelected(); });
}

void TFRDesignerForm::buildBars()
{
    auto bar = [this](const QString &title, const QString &name, Qt::ToolBarArea area) {
        auto *b = new QToolBar(title, this);
        b->setObjectName(name);
        b->setIconSize(QSize(20, 20));
        addToolBar(area, b);
        return b;
    };
    auto add = [](QToolBar *b, const QString &name, QAction *a) {
        (void)name;
        b->addAction(a);
    };
    auto named = [this](const char *name) { return findChild<QAction *>(QString::fromLatin1(name)); };

    StandardBar = bar(QStringLiteral("Predefinito"), QStringLiteral("StandardBar"), Qt::TopToolBarArea);
    for (const char *n : {"FileBtn1", "FileBtn2", "FileBtn3", "FileBtn4"}) add(StandardBar, {}, named(n));
    StandardBar->addSeparator();
    for (const char *n : {"CutB", "CopyB", "PstB", "UndoB", "RedoB"}) add(StandardBar, {}, named(n));
    StandardBar->addSeparator();
    for (const char *n : {"ZB1", "ZB2", "SelAllB"}) add(StandardBar, {}, named(n));
    StandardBar->addSeparator();
    for (const char *n : {"PgB1", "PgB2", "PgB3", "PgB4", "GB2"}) add(StandardBar, {}, named(n));
    StandardBar->addSeparator();
    QAction *close = named("ExitB");
    StandardBar->addAction(close);
    if (auto *button = qobject_cast<QToolButton *>(StandardBar->widgetForAction(close)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    FrameBar = bar(QStringLiteral("Rettangolo"), QStringLiteral("FrameBar"), Qt::TopToolBarArea);
    addToolBarBreak();
    TextBar = bar(QStringLiteral("Testo"), QStringLiteral("TextBar"), Qt::TopToolBarArea);
    FontNameBox = new QComboBox(TextBar);
    FontNameBox->setObjectName(QStringLiteral("C2"));
    FontNameBox->setToolTip(QStringLiteral("Nome tipo di carattere"));
    FontNameBox->addItems(FontFamilies());
    FontNameBox->setMinimumWidth(150);
    TextBar->addWidget(FontNameBox);
    // Any entry applies, the first one too.
    connect(FontNameBox, &QComboBox::activated, this, [this](int index) {
        SetFontName(FontNameBox->itemText(index));
        PageView->setFocus();
    });
    FontSizeBox = new QComboBox(TextBar);
    FontSizeBox->setObjectName(QStringLiteral("C3"));
    FontSizeBox->setToolTip(QStringLiteral("Dimenzione carattere"));
    FontSizeBox->setEditable(true);
    FontSizeBox->setInsertPolicy(QComboBox::NoInsert);
    for (int s : kFontSizes) FontSizeBox->addItem(QString::number(s));
    FontSizeBox->setMinimumWidth(52);
    TextBar->addWidget(FontSizeBox);
    connect(FontSizeBox, &QComboBox::activated, this, [this](int index) {
        SetFontSize(FontSizeBox->itemText(index).toInt());
        PageView->setFocus();
    });
    // Enter applies the typed size here and goes no further: neither the box
    // (which would apply it again) nor the page (which would open the editor).
    FontSizeBox->lineEdit()->installEventFilter(this);
    for (const char *n : {"FnB1", "FnB2", "FnB3", "ClB2"}) add(TextBar, {}, named(n));
    TextBar->addSeparator();
    for (const char *n : {"AlB1", "AlB3", "AlB2", "AlB6", "AlB8", "AlB7", "AlB9", "AlB4", "HlB1"}) add(TextBar, {}, named(n));

    for (const char *n : {"FrB1", "FrB2", "FrB3", "FrB4", "FrB5", "FrB6", "ClB1", "ClB3"}) add(FrameBar, {}, named(n));
    FrameWidthBox = new QSpinBox(FrameBar);
    FrameWidthBox->setObjectName(QStringLiteral("E1"));
    FrameWidthBox->setToolTip(QStringLiteral("Larghezza bordo"));
    FrameWidthBox->setAccessibleName(FrameWidthBox->toolTip());
    FrameWidthBox->setRange(1, 20);
    // Arrows apply at once; typing applies on Enter.
    FrameWidthBox->setKeyboardTracking(false);
    FrameBar->addWidget(FrameWidthBox);
    connect(FrameWidthBox, &QSpinBox::valueChanged, this, [this](int width) {
        if (!m_updating) SetFrameWidth(width);
    });

    ObjectBar = bar(QStringLiteral("Oggetti"), QStringLiteral("ObjectBar"), Qt::LeftToolBarArea);
    for (QAction *a : ToolActions) ObjectBar->addAction(a);

    // The bars' buttons never take the focus from the page, so keys keep
    // reaching it after a click on a button.
    for (QToolBar *b : {StandardBar, TextBar, FrameBar, ObjectBar})
        for (QToolButton *button : b->findChildren<QToolButton *>()) button->setFocusPolicy(Qt::NoFocus);

    QMenu *bars = findChild<QMenu *>(QStringLiteral("BarsMenu"));
    const QStringList names = {QStringLiteral("Predefinito"), QStringLiteral("Testo"), QStringLiteral("Rettangolo"),
                               QStringLiteral("Oggetti")};
    const QList<QToolBar *> list = {StandardBar, TextBar, FrameBar, ObjectBar};
    for (int i = 0; i < list.size(); ++i) {
        QAction *toggle = list[i]->toggleViewAction();
        toggle->setText(names[i]);
        bars->addAction(toggle);
    }
    bars->addSeparator();
    InspectorAction = bars->addAction(QStringLiteral("Controllo Oggetto"));
    InspectorAction->setObjectName(QStringLiteral("N44"));
    InspectorAction->setShortcut(Qt::Key_F11);
    InspectorAction->setCheckable(true);
    connect(InspectorAction, &QAction::triggered, this, [this](bool on) { showToolWindow(InspForm, on); });
    AlignAction = bars->addAction(QStringLiteral("Strumenti di allineamento"));
    AlignAction->setObjectName(QStringLiteral("N45"));
    AlignAction->setCheckable(true);
    connect(AlignAction, &QAction::triggered, this, [this](bool on) { showToolWindow(AlignForm, on); });
}

void TFRDesignerForm::buildBody()
{
    auto *body = new QWidget(this);
    auto *grid = new QGridLayout(body);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    PageTabs = new QTabBar(body);
    PageTabs->setObjectName(QStringLiteral("Tab1"));
    PageTabs->setFocusPolicy(Qt::NoFocus);
    connect(PageTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_updating && index >= 0) SetCurPage(index);
    });
    HRuler = new TfrRuler(Qt::Horizontal, body);
    VRuler = new TfrRuler(Qt::Vertical, body);
    ScrollBox = new QScrollArea(body);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    ScrollBox->setBackgroundRole(QPalette::Dark);
    PageView = new TfrDesignPage(this);
    PageView->setAccessibleName(QStringLiteral("Pagina"));
    ScrollBox->setWidget(PageView);
    connect(ScrollBox->horizontalScrollBar(), &QScrollBar::valueChanged, HRuler, &TfrRuler::setOffset);
    connect(ScrollBox->verticalScrollBar(), &QScrollBar::valueChanged, VRuler, &TfrRuler::setOffset);
    grid->addWidget(PageTabs, 0, 0, 1, 2);
    grid->addWidget(HRuler, 1, 1);
    grid->addWidget(VRuler, 2, 0);
    grid->addWidget(ScrollBox, 2, 1);
    setCentralWidget(body);
    StatusLabel = new QLabel(this);
    statusBar()->addWidget(StatusLabel, 1);
}

// ---------------------------------------------------------------- settings

void TFRDesignerForm::readSettings()
{
    const TfrDesignerOptions o = frDesignerSettings::readOptions();
    GridAlign = o.gridAlign;
    GridSize = o.gridSize;
    Units = o.units;
    RecentFiles = o.recent;
    findChild<QAction *>(QStringLiteral("GB2"))->setChecked(GridAlign);
    findChild<QAction *>(QStringLiteral("Grid%1").arg(GridSize))->setChecked(true);
    findChild<QAction *>(QStringLiteral("Unit%1").arg(Units))->setChecked(true);
    HRuler->setUnits(Units);
    VRuler->setUnits(Units);
    std::unique_ptr<QSettings> s(frDesignerSettings::open());
    s->beginGroup(QStringLiteral("ToolBas"));
    for (QToolBar *b : {StandardBar, TextBar, FrameBar, ObjectBar})
        b->setVisible(s->value(b->objectName(), true).toBool());
    s->endGroup();
    updateRecentMenu();
    // Beside the designer on the right: the inspector 25 pixels from the
    // screen's right edge and 20 from its top, the palette to its left,
    // their bottoms in line.
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1024, 768);
    const QPoint inspector(screen.right() - 25 - InspForm->width(), screen.top() + 20);
    readToolWindow(InspForm, InspectorAction, inspector);
    readToolWindow(AlignForm, AlignAction,
                   QPoint(inspector.x() - AlignForm->width(), inspector.y() + InspForm->height() - AlignForm->height()));
}

void TFRDesignerForm::readToolWindow(QWidget *window, QAction *toggle, QPoint place)
{
    std::unique_ptr<QSettings> s(frDesignerSettings::open());
    s->beginGroup(window->objectName());
    window->move(s->value(QStringLiteral("Left"), place.x()).toInt(), s->value(QStringLiteral("Top"), place.y()).toInt());
    const int w = s->value(QStringLiteral("Width"), window->width()).toInt();
    const int h = s->value(QStringLiteral("Height"), window->height()).toInt();
    if (w > 0 && h > 0 && w < 4000 && h < 4000) window->resize(w, h);
    // Shown with the designer, not before it.
    toggle->setChecked(s->value(QStringLiteral("Visible"), true).toBool());
    s->endGroup();
}

void TFRDesignerForm::writeToolWindow(QWidget *window, QAction *toggle)
{
    std::unique_ptr<QSettings> s(frDesignerSettings::open());
    s->beginGroup(window->objectName());
    s->setValue(QStringLiteral("Left"), window->x());
    s->setValue(QStringLiteral("Top"), window->y());
    s->setValue(QStringLiteral("Width"), window->width());
    s->setValue(QStringLiteral("Height"), window->height());
    s->setValue(QStringLiteral("Visible"), toggle->isChecked());
    s->endGroup();
}

void TFRDesignerForm::showToolWindow(QWidget *window, bool visible)
{
    (window == InspForm ? InspectorAction : AlignAction)->setChecked(visible);
    if (!isVisible()) return;
    window->setVisible(visible);
    // Showing a tool window leaves the keys with the page.
    if (visible) ReturnFocus();
}

void TFRDesignerForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    InspForm->setVisible(InspectorAction->isChecked());
    AlignForm->setVisible(AlignAction->isChecked());
}

void TFRDesignerForm::ReturnFocus()
{
    activateWindow();
    PageView->setFocus();
}

void TFRDesignerForm::writeSettings()
{
    TfrDesignerOptions o;
    o.gridAlign = GridAlign;
    o.gridSize = GridSize;
    o.units = Units;
    o.recent = RecentFiles;
    frDesignerSettings::writeOptions(o);
    std::unique_ptr<QSettings> s(frDesignerSettings::open());
    s->beginGroup(QStringLiteral("ToolBas"));
    for (QToolBar *b : {StandardBar, TextBar, FrameBar, ObjectBar}) s->setValue(b->objectName(), !b->isHidden());
    s->endGroup();
    s.reset();
    writeToolWindow(InspForm, InspectorAction);
    writeToolWindow(AlignForm, AlignAction);
}

// ---------------------------------------------------------------- pages and selection

TfrPage *TFRDesignerForm::Page() const { return m_report.Pages[m_curPage]; }

void TFRDesignerForm::SetCurPage(int index)
{
    if (m_report.Pages.Count() == 0) m_report.Pages.Add();
    index = qBound(0, index, m_report.Pages.Count() - 1);
    ClearSelection();
    m_curPage = index;
    m_updating = true;
    if (PageTabs->count() != m_report.Pages.Count()) renumberTabs();
    PageTabs->setCurrentIndex(index);
    m_updating = false;
    PageView->updateSize();
    InspForm->FillObjects();
    HRuler->setLength(PageView->paperSize().width());
    VRuler->setLength(PageView->paperSize().height());
    SelectionChanged();
}

void TFRDesignerForm::renumberTabs()
{
    const bool updating = std::exchange(m_updating, true);
    while (PageTabs->count() > m_report.Pages.Count()) PageTabs->removeTab(PageTabs->count() - 1);
    while (PageTabs->count() < m_report.Pages.Count()) PageTabs->addTab(QString());
    for (int i = 0; i < PageTabs->count(); ++i) PageTabs->setTabText(i, QStringLiteral("Pagina ") + QString::number(i + 1));
    m_updating = updating;
}

QList<TfrView *> TFRDesignerForm::Selection() const
{
    QList<TfrView *> list;
    if (TfrPage *page = Page())
        for (TfrView *v : page->Objects)
            if (v->Selected) list << v;
    return list;
}

int TFRDesignerForm::SelNum() const { return int(Selection().size()); }

TfrView *TFRDesignerForm::SelectedObject() const
{
    const QList<TfrView *> list = Selection();
    return list.size() == 1 ? list.first() : nullptr;
}

void TFRDesignerForm::SelectOnly(TfrView *view)
{
    m_reference = view;
    for (int p = 0; p < m_report.Pages.Count(); ++p)
        for (TfrView *v : m_report.Pages[p]->Objects) v->Selected = (v == view);
    SelectionChanged();
}

void TFRDesignerForm::ClearSelection() { SelectOnly(nullptr); }

void TFRDesignerForm::SelectionChanged()
{
    updateControls();
    updateStatus();
    if (InspForm) InspForm->FillValues();
    PageView->update();
}

void TFRDesignerForm::GeometryChanged()
{
    updateStatus();
    if (InspForm) InspForm->FillValues();
    PageView->update();
}

void TFRDesignerForm::SetTool(int tool)
{
    m_tool = qBound(0, tool, int(ToolActions.size()) - 1);
    ToolActions[m_tool]->setChecked(true);
    PageView->setCursor(m_tool == ToolSelect ? Qt::ArrowCursor : Qt::CrossCursor);
}

QString TFRDesignerForm::FormatUnits(int pixels) const
{
    const double factor = Units == 1 ? 0.26448362720403024 : Units == 2 ? 1.0 / 96 : 1.0;
    QString s = QString::number(pixels * factor, 'f', 2);
    while (s.contains(QLatin1Char('.')) && (s.endsWith(QLatin1Char('0')) || s.endsWith(QLatin1Char('.')))) s.chop(1);
    s.replace(QLatin1Char('.'), TFormatSettings::current().decimalSeparator);
    return s;
}

void TFRDesignerForm::updateStatus()
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) {
        StatusLabel->clear();
        return;
    }
    int l = list.first()->Left, t = list.first()->Top, r = l + list.first()->Width, b = t + list.first()->Height;
    for (const TfrView *v : list) {
        l = qMin(l, v->Left);
        t = qMin(t, v->Top);
        r = qMax(r, v->Left + v->Width);
        b = qMax(b, v->Top + v->Height);
    }
    const QString name = list.size() == 1 ? list.first()->Name + QStringLiteral("   ") : QString();
    StatusLabel->setText(name + FormatUnits(l) + QStringLiteral("; ") + FormatUnits(t) + QStringLiteral("   ")
                         + FormatUnits(r - l) + QStringLiteral("; ") + FormatUnits(b - t));
}

void TFRDesignerForm::updateControls()
{
    const QList<TfrView *> list = Selection();
    const bool any = !list.isEmpty();
    TfrView *first = nullptr;
    TfrCustomMemoView *text = nullptr;
    for (TfrView *v : list) {
        if (!first && !isBand(v)) first = v;
        if (!text) text = dynamic_cast<TfrCustomMemoView *>(v);
    }
    m_updating = true;
    auto set = [this](const char *name, bool enabled, bool checked = false) {
        if (QAction *a = findChild<QAction *>(QString::fromLatin1(name))) {
            a->setEnabled(enabled);
            if (a->isCheckable()) a->setChecked(checked);
        }
    };
    for (const char *n : {"CutB", "CopyB", "ZB1", "ZB2", "N11", "N12", "N27", "N32", "N33"}) set(n, any);
    set("PstB", !clipboard().empty());
    set("N13", !clipboard().empty());
    set("UndoB", m_history.canUndo());
    set("N46", m_history.canUndo());
    set("RedoB", m_history.canRedo());
    set("N48", m_history.canRedo());
    set("FileBtn3", m_history.hasChanges());
    set("N20s", m_history.hasChanges());
    set("PgB2", m_report.Pages.Count() > 1);
    set("N31", m_report.Pages.Count() > 1);
    const TfrView *last = list.isEmpty() ? nullptr : list.last();
    const bool editable = last && HasEditor(last);
    set("N29", editable);
    set("FrB1", first, first && (first->FrameLines & LineTop));
    set("FrB2", first, first && (first->FrameLines & LineLeft));
    set("FrB3", first, first && (first->FrameLines & LineBottom));
    set("FrB4", first, first && (first->FrameLines & LineRight));
    for (const char *n : {"FrB5", "FrB6", "ClB1", "ClB3"}) set(n, first);
    FrameWidthBox->setEnabled(first);
    if (first) FrameWidthBox->setValue(qBound(1, first->FrameWidth, 20));
    for (const char *n : {"ClB2", "HlB1"}) set(n, text);
    set("FnB1", text, text && (text->FontStyle & 2));
    set("FnB2", text, text && (text->FontStyle & 1));
    set("FnB3", text, text && (text->FontStyle & 4));
    const int h = text ? (text->TextLayout & AlignMask) : -1;
    const int v = text ? (text->TextLayout & VMask) : -1;
    set("AlB1", text, h == 0);
    set("AlB2", text, h == 1);
    set("AlB3", text, h == 2);
    set("AlB6", text, h == 3);
    set("AlB8", text, v == 0);
    set("AlB7", text, v == 8);
    set("AlB9", text, v == 16);
    set("AlB4", text, text && (text->TextLayout & Rotated));
    FontNameBox->setEnabled(text);
    FontSizeBox->setEnabled(text);
    const QString fontName = text ? text->FontName : DefaultFontName;
    int index = FontNameBox->findText(fontName, Qt::MatchFixedString);
    if (index < 0 && !fontName.isEmpty()) {
        FontNameBox->addItem(fontName);
        index = FontNameBox->count() - 1;
    }
    FontNameBox->setCurrentIndex(index);
    FontSizeBox->setEditText(QString::number(text ? text->FontSize : DefaultFontSize));
    m_updating = false;
}

// ---------------------------------------------------------------- history

void TFRDesignerForm::AddUndoSnapshot()
{
    // A step that changed nothing is not a step to undo.
    const QByteArray snapshot = TfrUndoHistory::makeSnapshot(m_curPage, m_report.SaveTemplateData());
    if (snapshot == m_history.current()) return;
    m_history.record(snapshot);
    updateControls();
}

void TFRDesignerForm::restartHistory()
{
    m_history.clear();
    m_history.record(TfrUndoHistory::makeSnapshot(m_curPage, m_report.SaveTemplateData()));
    m_history.markSaved();
    updateControls();
}

void TFRDesignerForm::restoreSnapshot(const QByteArray &snapshot)
{
    const QString fileName = m_report.FileName, path = m_report.FilePath();
    m_report.LoadTemplateData(TfrUndoHistory::templateOf(snapshot));
    m_report.FileName = fileName;
    m_report.SetFilePath(path);
    renumberTabs();
    SetCurPage(TfrUndoHistory::pageOf(snapshot));
}

void TFRDesignerForm::Undo()
{
    if (!m_history.canUndo()) return;
    restoreSnapshot(m_history.undo());
    updateControls();
}

void TFRDesignerForm::Redo()
{
    if (!m_history.canRedo()) return;
    restoreSnapshot(m_history.redo());
    updateControls();
}

// ---------------------------------------------------------------- files

void TFRDesignerForm::showMessage(const QString &text, const QString &caption)
{
    frDesignerDialogs().message(this, text, caption, TMsgDlgType::mtError, mbOK, 0);
}

void TFRDesignerForm::updateTitle()
{
    QString name = m_report.FileName;
    if (name.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) name.chop(4);
    setWindowTitle(name.isEmpty() ? kTitle : kTitle + QStringLiteral(" - ") + name);
}

void TFRDesignerForm::updateRecentMenu()
{
    RecentMenu->clear();
    for (const QString &file : RecentFiles) {
        QAction *a = RecentMenu->addAction(QFileInfo(file).fileName());
        a->setToolTip(file);
        connect(a, &QAction::triggered, this, [this, file] {
            if (checkChanges()) OpenFile(file);
        });
    }
    RecentMenu->setEnabled(!RecentFiles.isEmpty());
}

bool TFRDesignerForm::checkChanges()
{
    m_discarded = false;
    if (!m_history.hasChanges() || !(m_report.DesignerOptions & doSaveConfirm)) return true;
    const QString question = m_report.FileName.isEmpty()
                                 ? QStringLiteral("Si desidera salvare i cambiamenti al report corrente?")
                                 : QStringLiteral("Si desidera salvare i cambiamenti a ") + m_report.FileName + QStringLiteral(" ?");
    const int answer = frDesignerDialogs().message(this, question, QStringLiteral("Attenzione"),
                                                   TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, 0);
    if (answer == mrYes) return Save();
    m_discarded = answer == mrNo;
    return m_discarded;
}

void TFRDesignerForm::NewReport()
{
    if (!checkChanges()) return;
    m_report.ClearReport();
    renumberTabs();
    SetCurPage(0);
    updateTitle();
    restartHistory();
}

void TFRDesignerForm::NewFromWizard()
{
    if (!checkChanges()) return;
    TfrWizardForm wizard(this);
    if (frDesignerDialogs().exec(wizard) != QDialog::Accepted) return;
    // The designer starts over, and the wizard's report is its first change.
    m_report.ClearReport();
    renumberTabs();
    SetCurPage(0);
    restartHistory();
    wizard.Build(m_report);
    renumberTabs();
    SetCurPage(0);
    updateTitle();
    AddUndoSnapshot();
}

void TFRDesignerForm::EditVariables()
{
    if (TfrVarEditorForm::Edit(m_report, this)) AddUndoSnapshot();
}

void TFRDesignerForm::OpenReport()
{
    if (!checkChanges()) return;
    if (!m_report.ReportDir.isEmpty()) {
        TOpenForm form(m_report.ReportDir, this);
        if (frDesignerDialogs().exec(form) == QDialog::Accepted && !form.SelectedName().isEmpty())
            OpenFile(QDir(m_report.ReportDir).filePath(form.SelectedName()));
        return;
    }
    const QString path = frDesignerDialogs().openFile(this, QStringLiteral("Apri"), kFilter);
    if (!path.isEmpty()) OpenFile(path);
}

bool TFRDesignerForm::replaceReport(const std::function<TfrLoadResult()> &load)
{
    // What the designer shows now, put back if the new report cannot be read.
    const QByteArray before = m_report.SaveTemplateData();
    const QString fileName = m_report.FileName, filePath = m_report.FilePath();
    const int page = m_curPage;
    TfrLoadResult result;
    QString error;
    try {
        result = load();
    } catch (const Exception &e) {
        error = e.message();
    }
    if (!error.isEmpty() || !result) {
        m_report.LoadTemplateData(before);
        m_report.FileName = fileName;
        m_report.SetFilePath(filePath);
        renumberTabs();
        SetCurPage(page);
        if (!error.isEmpty()) {
            showMessage(error, QStringLiteral("Errore"));
        } else {
            for (qsizetype i = 0; i < result.Messages.size(); ++i) {
                QString text = result.Messages[i].text;
                if (i == result.Messages.size() - 1 && !result.Reason.isEmpty())
                    text += QStringLiteral("\r\n(") + result.Reason + QLatin1Char(')');
                showMessage(text, result.Messages[i].caption);
            }
        }
        return false;
    }
    // Messages of a load that worked (a dataset the program lacks) are still told.
    for (const TfrMessage &m : result.Messages) showMessage(m.text, m.caption);
    renumberTabs();
    SetCurPage(0);
    updateTitle();
    // A new report starts its own history: undo must not bring back the one
    // it replaced, nor "Salva" write that one over this file.
    restartHistory();
    return true;
}

bool TFRDesignerForm::OpenFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        frDesignerDialogs().message(this,
                                    QStringLiteral("Si è tentato di caricare da disco il report '%1'. \r\nMa il file '%2' è inesistente")
                                        .arg(info.fileName(), info.absoluteFilePath()),
                                    QStringLiteral("Attenzione"), TMsgDlgType::mtWarning, mbOK, 0);
        return false;
    }
    if (!replaceReport([&] { return m_report.LoadTemplate(info.absoluteFilePath()); })) return false;
    frDesignerSettings::addRecent(RecentFiles, info.absoluteFilePath());
    updateRecentMenu();
    return true;
}

bool TFRDesignerForm::saveTo(const QString &path)
{
    try {
        m_report.SaveTemplate(path);
    } catch (const Exception &e) {
        showMessage(e.message(), QStringLiteral("Errore"));
        return false;
    }
    m_history.markSaved();
    updateTitle();
    updateControls();
    frDesignerSettings::addRecent(RecentFiles, m_report.FilePath());
    updateRecentMenu();
    return true;
}

bool TFRDesignerForm::Save()
{
    if (m_report.FileName.isEmpty()) return SaveAs();
    // The report keeps only the file's name: write where it was read from, not
    // into whatever the current directory is.
    const QString path = !m_report.FilePath().isEmpty()
                                 && QFileInfo(m_report.FilePath()).fileName() == m_report.FileName
                             ? m_report.FilePath()
                             : m_report.FileName;
    return saveTo(path);
}

bool TFRDesignerForm::SaveAs()
{
    if (!m_report.ReportDir.isEmpty()) {
        // Reports kept in one folder are named, not browsed for.
        TSaveForm form(m_report.FileName, this);
        if (frDesignerDialogs().exec(form) != QDialog::Accepted || !TSaveForm::ValidName(form.Name->text())) return false;
        const QString path = QDir(m_report.ReportDir).filePath(form.FileName());
        if (QFileInfo::exists(path)
            && frDesignerDialogs().message(this, QStringLiteral("Esiste già un report con questo nome.\r\nSi desidera sovrascriverlo?"),
                                           QStringLiteral("Attenzione"), TMsgDlgType::mtConfirmation, mbYes | mbNo, 1)
                   != mrYes)
            return false;
        return saveTo(path);
    }
    int choice = 1;
    QString path = frDesignerDialogs().saveFile(this, QStringLiteral("Salva con nome"), kSaveFilter, choice);
    if (path.isEmpty()) return false;
    if (choice == 2) return SaveAsTemplate(QFileInfo(path).completeBaseName());
    if (!path.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) path += QStringLiteral(".frf");
    return saveTo(path);
}

bool TFRDesignerForm::SaveAsTemplate(const QString &name)
{
    TTemplNewForm form(this);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) return false;
    TfrTemplateHeader header;
    header.Description = form.Comment->toPlainText().split(QLatin1Char('\n'));
    header.GraphicKind = form.GraphicKind;
    header.Graphic = form.Graphic;
    const QString path = QDir(frTemplates::folder(m_report)).filePath(name + QStringLiteral(".frt"));
    if (!frTemplateFile::save(m_report, path, header)) {
        showMessage(QStringLiteral("Si è verificato un errore durante la fase di salvataggio del report"), QStringLiteral("Errore"));
        return false;
    }
    return true;
}

void TFRDesignerForm::NewFromTemplate()
{
    // Like "Nuovo report", the work so far is offered for saving first.
    if (!checkChanges()) return;
    TTemplForm chooser(m_report, this);
    if (frDesignerDialogs().exec(chooser) != QDialog::Accepted || chooser.SelectedFile().isEmpty()) return;
    replaceReport([&] { return frTemplateFile::loadFile(m_report, chooser.SelectedFile()); });
}

void TFRDesignerForm::Preview()
{
    // Written and read back, so the preview builds exactly what a saved file would.
    const QByteArray data = m_report.SaveTemplateData();
    const QString fileName = m_report.FileName, path = m_report.FilePath();
    const int page = m_curPage;
    m_report.LoadTemplateData(data);
    m_report.FileName = fileName;
    m_report.SetFilePath(path);
    const bool inspector = InspForm->isVisible(), palette = AlignForm->isVisible();
    InspForm->hide();
    AlignForm->hide();
    try {
        m_report.PreviewReport();
    } catch (const Exception &e) {
        showMessage(e.message(), QStringLiteral("Errore"));
    }
    InspForm->setVisible(inspector);
    AlignForm->setVisible(palette);
    renumberTabs();
    SetCurPage(page);
}

void TFRDesignerForm::closeEvent(QCloseEvent *event)
{
    if (!checkChanges()) {
        event->ignore();
        return;
    }
    if (m_discarded) {
        // "No": the report goes back to how it was when the designer opened.
        m_report.LoadTemplateData(m_initial);
        m_report.FileName = m_initialFileName;
        m_report.SetFilePath(m_initialPath);
    }
    writeSettings();
    event->accept();
    if (m_loop) m_loop->quit();
}

// ---------------------------------------------------------------- objects

void TFRDesignerForm::DeleteSelected()
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    for (TfrView *v : list) {
        if (v == m_reference) m_reference = nullptr;
        InspForm->ObjectRemoved(v->Name);
        m_report.DeleteObject(v);
    }
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::Copy()
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    std::vector<ClipItem> items;
    for (const TfrView *v : list) {
        ClipItem item;
        item.view.reset(m_report.CreateObject(v->Kind, v->ClassName()));
        if (!item.view) continue;
        item.view->Assign(*v);
        item.view->Name = v->Name;
        item.view->Report = nullptr;
        if (v->IsDataBound() && !v->FormatText.isEmpty())
            if (TfrDataset *ds = m_report.FindReportDataset(v->FormatText)) {
                item.hasDataset = true;
                item.rangeBegin = ds->RangeBegin;
                item.rangeEnd = ds->RangeEnd;
                item.rangeEndCount = ds->RangeEndCount;
                if (auto *db = qobject_cast<TfrDBDataSet *>(ds)) {
                    item.database = true;
                    item.dataSet = db->DataSet();
                    item.filter = db->Filter;
                    item.filtered = db->Filtered;
                }
            }
        items.push_back(std::move(item));
    }
    clipboard() = std::move(items);
    updateControls();
}

void TFRDesignerForm::Cut()
{
    Copy();
    DeleteSelected();
}

QPoint TFRDesignerForm::PastePosition() const
{
    const int x = ScrollBox->horizontalScrollBar()->value(), y = ScrollBox->verticalScrollBar()->value();
    return {x > 0 ? frDesign::snapDown(x, 4) : 0, y > 0 ? frDesign::snapDown(y, 4) : 0};
}

void TFRDesignerForm::Paste()
{
    if (clipboard().empty()) return;
    int left = INT_MAX, top = INT_MAX;
    for (const ClipItem &c : clipboard()) {
        left = qMin(left, c.view->Left);
        top = qMin(top, c.view->Top);
    }
    const QPoint at = PastePosition();
    ClearSelection();
    TfrPage *page = Page();
    bool added = false;
    for (const ClipItem &c : clipboard()) {
        if (c.view->Kind == frKind::Band && !TBandTypesForm::Available(c.view->FrameLines, page)) continue;
        TfrView *v = m_report.CreateObject(c.view->Kind, c.view->ClassName());
        if (!v) continue;
        v->Assign(*c.view);
        v->Name = m_report.UniqueName(v);
        v->Left = c.view->Left - left + at.x();
        v->Top = c.view->Top - top + at.y();
        if (v->IsDataBound()) v->FormatText.clear();
        if (c.hasDataset) {
            TfrDataset *ds = nullptr;
            if (c.database) {
                auto *db = new TfrDBDataSet;
                db->SetDataSet(c.dataSet.data());
                db->Filter = c.filter;
                db->Filtered = c.filtered;
                ds = db;
            } else {
                ds = new TfrDataset;
            }
            ds->RangeBegin = c.rangeBegin;
            ds->RangeEnd = c.rangeEnd;
            ds->RangeEndCount = c.rangeEndCount;
            ds->setObjectName(m_report.objectName() + QLatin1Char('_') + v->Name + QStringLiteral("_DataSet"));
            m_report.AddDataset(ds, true);
            v->FormatText = ds->objectName();
        }
        v->Selected = true;
        page->Add(v);
        InspForm->ObjectAdded(v);
        added = true;
    }
    SelectionChanged();
    if (added) AddUndoSnapshot();
}

void TFRDesignerForm::BringToFront()
{
    TfrPage *page = Page();
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    for (TfrView *v : list) page->Objects.removeOne(v);
    page->Objects.append(list);
    PageView->update();
    AddUndoSnapshot();
}

void TFRDesignerForm::SendToBack()
{
    TfrPage *page = Page();
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    for (TfrView *v : list) page->Objects.removeOne(v);
    page->Objects = list + page->Objects;
    PageView->update();
    AddUndoSnapshot();
}

void TFRDesignerForm::SelectAll()
{
    for (TfrView *v : Page()->Objects) v->Selected = true;
    SelectionChanged();
}

TfrView *TFRDesignerForm::ReferenceObject() const
{
    const QList<TfrView *> list = Selection();
    if (m_reference && list.contains(m_reference)) return m_reference;
    return list.isEmpty() ? nullptr : list.last();
}

void TFRDesignerForm::Align(frAlign::Command command)
{
    const QList<TfrView *> list = Selection();
    if (list.size() < frAlign::needs(command)) return;
    QList<frDesign::Box> boxes;
    for (const TfrView *v : list) boxes.append({v->Left, v->Top, v->Width, v->Height});
    const QList<frDesign::Box> out = frAlign::apply(command, boxes, int(list.indexOf(ReferenceObject())),
                                                    PageView->paperSize());
    for (qsizetype i = 0; i < list.size(); ++i) {
        list[i]->Left = out[i].left;
        list[i]->Top = out[i].top;
    }
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::AddPage()
{
    m_report.Pages.Add();
    renumberTabs();
    SetCurPage(m_report.Pages.Count() - 1);
    AddUndoSnapshot();
}

void TFRDesignerForm::RemovePage()
{
    if (m_report.Pages.Count() <= 1) return;
    if (frDesignerDialogs().message(this, QStringLiteral("Rimuovere questa pagina?"), QStringLiteral("Conferma"),
                                    TMsgDlgType::mtConfirmation, mbYes | mbNo, 0) != mrYes)
        return;
    const int index = m_curPage;
    ClearSelection();
    m_report.RemovePage(index);
    renumberTabs();
    SetCurPage(index > 0 ? index - 1 : 0);
    AddUndoSnapshot();
}

bool TFRDesignerForm::HasEditor(const TfrView *v)
{
    switch (v->Kind) {
    case frKind::Memo: case frKind::Picture: case frKind::SubReport: case frKind::AddIn: return true;
    case frKind::Band: {
        const int type = static_cast<const TfrBandView *>(v)->BandType();
        return frBand::isDataBand(type) || type == frBand::GroupHeader;
    }
    default: return isText(v);
    }
}

void TFRDesignerForm::EditSelected(bool textOnly)
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    TfrView *v = list.last();
    bool changed = false;
    if (textOnly || isText(v)) {
        TEditorForm editor(this);
        changed = editor.ShowEditor(v);
    } else if (v->Kind == frKind::SubReport) {
        SetCurPage(static_cast<TfrSubReportView *>(v)->TargetPage);
        return;
    } else if (auto *picture = dynamic_cast<TfrCustomPictureView *>(v)) {
        TfrPictureForm form(this);
        form.Load(*picture);
        if (frDesignerDialogs().exec(form) == QDialog::Accepted) {
            form.Store(*picture);
            changed = true;
        }
    } else if (auto *band = dynamic_cast<TfrBandView *>(v)) {
        if (frBand::isDataBand(band->BandType())) {
            changed = TfrBandDataForm::EditBand(m_report, *band, this);
        } else if (band->BandType() == frBand::GroupHeader) {
            TfrGroupForm form(&m_report, this);
            form.Condition->setText(band->FormatText);
            if (frDesignerDialogs().exec(form) == QDialog::Accepted) {
                band->FormatText = form.Condition->text();
                changed = true;
            }
        }
    } else if (v->Kind == frKind::AddIn) {
        const TfrAddInObjectInfo *info = frRegistry::findAddIn(v->ClassName());
        if (const TfrObjectEditor editor = frFindObjectEditor(info ? info->EditorClassName : QString())) {
            changed = editor(m_report, *v, this);
        } else {
            TEditorForm text(this);
            changed = text.ShowEditor(v);
        }
    }
    if (!changed) return;
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::EditPageOptions()
{
    TfrPageOptionsForm form(this);
    form.Load(*Page());
    if (frDesignerDialogs().exec(form) != QDialog::Accepted || !form.Store(*Page())) return;
    PageView->updateSize();
    HRuler->setLength(PageView->paperSize().width());
    VRuler->setLength(PageView->paperSize().height());
    AddUndoSnapshot();
}

void TFRDesignerForm::EditPageList()
{
    TfrPagesForm form(m_report.Pages.Count(), this);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) return;
    const QList<int> order = form.Order();
    const TfrPage *current = Page();
    ClearSelection();
    if (!m_report.MovePages(order)) return;
    renumberTabs();
    SetCurPage(m_report.Pages.IndexOf(current));
    AddUndoSnapshot();
}

void TFRDesignerForm::EditReportOptions()
{
    TfrReportOptionsForm form(this);
    form.Load(m_report);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) return;
    form.Store(m_report);
    AddUndoSnapshot();
}

QList<TFRDesignerForm::ObjectEntry> TFRDesignerForm::ObjectEntries() const
{
    // Entries only for one object, or several of one kind (text objects count as one kind).
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return {};
    const TfrView *first = list.first();
    for (const TfrView *v : list) {
        const bool sameKind = isText(v) ? isText(first) : (v->Kind == first->Kind && v->ClassName() == first->ClassName());
        if (!sameKind) return {};
    }
    QList<ObjectEntry> entries;
    if (isText(first)) {
        entries = {{QStringLiteral("Adatta l'altezza al testo"), TfrCustomMemoView::MemoStretched},
                   {QStringLiteral("A capo automatico"), TfrCustomMemoView::WordWrap},
                   {QStringLiteral("Adatta la larghezza al testo"), TfrCustomMemoView::AutoWidth}};
    } else if (first->Kind == frKind::Picture) {
        entries = {{QStringLiteral("Adatta l'immagine"), TfrCustomPictureView::PictureStretched},
                   {QStringLiteral("Centra l'immagine"), TfrCustomPictureView::Centered},
                   {QStringLiteral("Mantieni le proporzioni"), TfrCustomPictureView::KeepAspect}};
    } else if (first->Kind == frKind::Band) {
        const struct { const char *text; int flag; } flags[] = {
            {"Adatta l'altezza", frBand::Stretched}, {"Nuova pagina dopo", frBand::NewPageAfter},
            {"Stampa anche senza dati", frBand::PrintIfSubsetEmpty}, {"Divisibile", frBand::BreakBand},
            {"Riempi la pagina", frBand::FillPage}};
        for (const auto &f : flags) {
            bool allowed = true;
            for (const TfrView *v : list) allowed = allowed && frBand::allowsFlag(v->FrameLines, f.flag);
            if (allowed) entries.append({QString::fromUtf8(f.text), f.flag});
        }
    }
    return entries;
}

void TFRDesignerForm::ToggleObjectFlag(int flag)
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    const bool on = !(list.first()->Flags & flag);
    for (TfrView *v : list) v->Flags = on ? quint16(v->Flags | flag) : quint16(v->Flags & ~flag);
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::InsertObject(QRect rect)
{
    const int tool = m_tool;
    SetTool(ToolSelect);
    if (tool == ToolSelect) return;
    TfrPage *page = Page();
    int left = rect.left(), top = rect.top(), width = rect.width(), height = rect.height();
    if (GridAlign) {
        const int right = frDesign::snapDown(left + width, GridSize), bottom = frDesign::snapDown(top + height, GridSize);
        left = frDesign::snapDown(left, GridSize);
        top = frDesign::snapDown(top, GridSize);
        width = right - left;
        height = bottom - top;
    }
    TfrView *v = nullptr;
    int newPage = -1;
    switch (tool) {
    case ToolMemo: v = m_report.CreateObject(frKind::Memo); break;
    case ToolPicture: v = m_report.CreateObject(frKind::Picture); break;
    case ToolBand: {
        TBandTypesForm chooser(page, this);
        if (frDesignerDialogs().exec(chooser) != QDialog::Accepted) return;
        const int type = chooser.SelectedType();
        if (!TBandTypesForm::Available(type, page)) return;
        v = m_report.CreateObject(frKind::Band);
        v->FrameLines = quint16(type);
        break;
    }
    case ToolSubReport:
        v = m_report.CreateObject(frKind::SubReport);
        newPage = m_report.Pages.Count();
        static_cast<TfrSubReportView *>(v)->TargetPage = newPage;
        break;
    default: {
        const int addIn = tool - ToolAddIn;
        if (addIn >= 0 && addIn < frRegistry::addIns().size())
            v = m_report.CreateObject(frKind::AddIn, frRegistry::addIns()[addIn].ClassName);
        break;
    }
    }
    if (!v) return;
    if (width == 0 && height == 0) {
        width = 120;
        height = tool == ToolMemo ? 16 : 48;
    }
    v->Left = left;
    v->Top = top;
    v->Width = width;
    v->Height = height;
    if (v->Kind == frKind::Band) {
        // Bands run across the page (down it, for the cross bands).
        const QSize paper = PageView->paperSize();
        const int type = v->FrameLines;
        if (type >= frBand::CrossHeader && type <= frBand::CrossFooter) {
            v->Top = 0;
            v->Height = paper.height();
        } else {
            v->Left = 0;
            v->Width = paper.width();
        }
    } else {
        v->FrameLines = AllLines;
        v->FrameWidth = 1;
    }
    if (auto *memo = dynamic_cast<TfrCustomMemoView *>(v)) {
        memo->FontName = DefaultFontName;
        memo->FontSize = DefaultFontSize;
    }
    page->Add(v);
    InspForm->ObjectAdded(v);
    if (newPage >= 0) {
        m_report.Pages.Add();
        renumberTabs();
    }
    SelectOnly(v);
    AddUndoSnapshot();
}

void TFRDesignerForm::MoveSelection(int dx, int dy)
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    for (TfrView *v : list) {
        v->Left += dx;
        v->Top += dy;
    }
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::ResizeSelection(int dx, int dy)
{
    const QList<TfrView *> list = Selection();
    if (list.isEmpty()) return;
    for (TfrView *v : list) {
        v->Width += dx;
        v->Height += dy;
        const frDesign::Box b = frDesign::normalized({v->Left, v->Top, v->Width, v->Height});
        v->Left = b.left;
        v->Top = b.top;
        v->Width = b.width;
        v->Height = b.height;
    }
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::ShowContextMenu(QPoint globalPos)
{
    updateControls();
    // The fixed entries, then those the selected objects offer.
    const QList<QAction *> all = ContextMenu->actions();
    for (QAction *a : all)
        if (a->property("objectEntry").toBool()) {
            ContextMenu->removeAction(a);
            a->deleteLater();
        }
    const QList<ObjectEntry> entries = ObjectEntries();
    if (!entries.isEmpty()) {
        QAction *separator = ContextMenu->addSeparator();
        separator->setProperty("objectEntry", true);
        const TfrView *first = Selection().first();
        for (const ObjectEntry &e : entries) {
            QAction *a = ContextMenu->addAction(e.text);
            a->setProperty("objectEntry", true);
            a->setCheckable(true);
            a->setChecked(first->Flags & e.flag);
            const int flag = e.flag;
            connect(a, &QAction::triggered, this, [this, flag] { ToggleObjectFlag(flag); });
        }
    }
    const QList<QAction *> actions = ContextMenu->actions();
    const bool any = SelNum() > 0;
    for (QAction *a : actions) {
        const QString text = a->text();
        if (text == QLatin1String("Taglia") || text == QLatin1String("Copia") || text == QLatin1String("Elimina"))
            a->setEnabled(any);
        else if (text == QLatin1String("Incolla")) a->setEnabled(!clipboard().empty());
        else if (text == QLatin1String("Modifica...")) a->setEnabled(findChild<QAction *>(QStringLiteral("N29"))->isEnabled());
    }
    ContextMenu->popup(globalPos);
}

bool TFRDesignerForm::HandleKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shift = mods == Qt::ShiftModifier, ctrl = mods == Qt::ControlModifier;
    QScrollBar *h = ScrollBox->horizontalScrollBar(), *v = ScrollBox->verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Delete:
        if (shift) Cut();
        else if (!mods) DeleteSelected();
        else return false;
        return true;
    case Qt::Key_Insert:
        if (ctrl) Copy();
        else if (shift) Paste();
        else return false;
        return true;
    case Qt::Key_PageUp: v->setValue(v->value() - 200); return true;
    case Qt::Key_PageDown: v->setValue(v->value() + 200); return true;
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down: {
        const int dx = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
        const int dy = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
        const QList<TfrView *> list = Selection();
        if (list.isEmpty()) {
            h->setValue(h->value() + 10 * dx);
            v->setValue(v->value() + 10 * dy);
        } else if (ctrl) {
            MoveSelection(dx, dy);
        } else if (shift) {
            ResizeSelection(dx, dy);
        } else if (!mods && list.size() == 1) {
            QList<frDesign::Box> boxes;
            QList<bool> candidates;
            int from = -1;
            for (TfrView *o : Page()->Objects) {
                if (o == list.first()) from = int(boxes.size());
                boxes.append({o->Left, o->Top, o->Width, o->Height});
                candidates.append(!isBand(o));
            }
            const frDesign::Direction dir = dx < 0 ? frDesign::DirLeft : dx > 0 ? frDesign::DirRight
                                                  : dy < 0                 ? frDesign::DirUp
                                                                           : frDesign::DirDown;
            const int next = frDesign::nearest(boxes, candidates, from, dir);
            if (next >= 0) SelectOnly(Page()->Objects[next]);
        }
        return true;
    }
    case Qt::Key_Return: case Qt::Key_Enter:
        EditSelected(ctrl);
        return true;
    case Qt::Key_Escape:
        SetTool(ToolSelect);
        return true;
    case Qt::Key_Menu: {
        const QList<TfrView *> list = Selection();
        const QPoint at = list.isEmpty() ? QPoint(PageView->width() / 2, 20)
                                         : QPoint(list.last()->Left + list.last()->Width / 2, list.last()->Top + list.last()->Height / 2);
        ShowContextMenu(PageView->mapToGlobal(at));
        return true;
    }
    default: break;
    }
    // The function keys tool windows pass on.
    if (event->key() == Qt::Key_F9 && !mods) {
        Preview();
        return true;
    }
    if (event->key() == Qt::Key_F11 && !mods) {
        InspectorAction->trigger();
        return true;
    }
    if (event->key() == Qt::Key_F10 && shift) {
        ShowContextMenu(PageView->mapToGlobal(QPoint(PageView->width() / 2, 20)));
        return true;
    }
    return false;
}

bool TFRDesignerForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FontSizeBox->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            bool ok = false;
            const int size = FontSizeBox->currentText().trimmed().toInt(&ok);
            if (ok && size > 0 && size <= 1638) SetFontSize(size);
            PageView->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFRDesignerForm::keyPressEvent(QKeyEvent *event)
{
    // A key an edit box let through (Enter in the font size box) is not a
    // command for the page.
    QWidget *focus = QApplication::focusWidget();
    const bool fromBox = focus && focus != this && focus != PageView && isAncestorOf(focus);
    if (fromBox || !HandleKey(event)) QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- attributes

void TFRDesignerForm::applyToSelection(bool textOnly, const std::function<void(TfrView *)> &change)
{
    if (m_updating) return;
    bool changed = false;
    for (TfrView *v : Selection()) {
        if (isBand(v) || (textOnly && !isText(v))) continue;
        change(v);
        changed = true;
    }
    if (!changed) return;
    SelectionChanged();
    AddUndoSnapshot();
}

void TFRDesignerForm::SetFrameLine(int line, bool on)
{
    applyToSelection(false, [&](TfrView *v) { v->FrameLines = on ? (v->FrameLines | line) : (v->FrameLines & ~line); });
}

void TFRDesignerForm::SetAllFrameLines(bool on)
{
    applyToSelection(false, [&](TfrView *v) { v->FrameLines = on ? (v->FrameLines | AllLines) : (v->FrameLines & ~AllLines); });
}

void TFRDesignerForm::SetFrameWidth(int width)
{
    applyToSelection(false, [&](TfrView *v) { v->FrameWidth = width; });
}

void TFRDesignerForm::ChooseFillColor()
{
    const QList<TfrView *> list = Selection();
    int color = list.isEmpty() ? TfrView::NoColor : list.first()->FillColor;
    if (!frDesignerDialogs().chooseColor(this, color)) return;
    applyToSelection(false, [&](TfrView *v) { v->FillColor = color; });
}

void TFRDesignerForm::ChooseFrameColor()
{
    const QList<TfrView *> list = Selection();
    int color = list.isEmpty() ? 0 : list.first()->FrameColor;
    if (!frDesignerDialogs().chooseColor(this, color)) return;
    applyToSelection(false, [&](TfrView *v) { v->FrameColor = color; });
}

void TFRDesignerForm::ChooseFontColor()
{
    int color = 0;
    for (TfrView *v : Selection())
        if (auto *m = dynamic_cast<TfrCustomMemoView *>(v)) {
            color = m->FontColor;
            break;
        }
    if (!frDesignerDialogs().chooseColor(this, color)) return;
    // A text has a colour: "none" leaves it black.
    if (color == TfrView::NoColor) color = 0;
    applyToSelection(true, [&](TfrView *v) { static_cast<TfrCustomMemoView *>(v)->FontColor = color; });
}

void TFRDesignerForm::EditHighlight()
{
    TfrCustomMemoView *first = nullptr;
    for (TfrView *v : Selection())
        if ((first = dynamic_cast<TfrCustomMemoView *>(v))) break;
    if (!first) return;
    THilightForm form(&m_report, this);
    form.Load(*first);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) return;
    applyToSelection(true, [&](TfrView *v) { form.Store(*static_cast<TfrCustomMemoView *>(v)); });
}

void TFRDesignerForm::SetFontName(const QString &name)
{
    if (name.isEmpty()) return;
    DefaultFontName = name;
    applyToSelection(true, [&](TfrView *v) { static_cast<TfrCustomMemoView *>(v)->FontName = name; });
}

void TFRDesignerForm::SetFontSize(int size)
{
    if (size <= 0) return;
    DefaultFontSize = size;
    applyToSelection(true, [&](TfrView *v) { static_cast<TfrCustomMemoView *>(v)->FontSize = size; });
}

void TFRDesignerForm::SetFontStyle(int style, bool on)
{
    applyToSelection(true, [&](TfrView *v) {
        auto *m = static_cast<TfrCustomMemoView *>(v);
        m->FontStyle = on ? (m->FontStyle | style) : (m->FontStyle & ~style);
    });
}

void TFRDesignerForm::SetHAlign(int align)
{
    applyToSelection(true, [&](TfrView *v) {
        auto *m = static_cast<TfrCustomMemoView *>(v);
        m->TextLayout = (m->TextLayout & ~AlignMask) | align;
    });
}

void TFRDesignerForm::SetVAlign(int align)
{
    applyToSelection(true, [&](TfrView *v) {
        auto *m = static_cast<TfrCustomMemoView *>(v);
        m->TextLayout = (m->TextLayout & ~VMask) | align;
    });
}

void TFRDesignerForm::SetRotated(bool on)
{
    applyToSelection(true, [&](TfrView *v) {
        auto *m = static_cast<TfrCustomMemoView *>(v);
        m->TextLayout = on ? (m->TextLayout | Rotated) : (m->TextLayout & ~Rotated);
    });
}

// ---------------------------------------------------------------- fonts

QStringList TFRDesignerForm::FontFamilies()
{
    QStringList families = QFontDatabase::families();
    families.removeDuplicates();
    // A family the program substitutes counts as installed, so a template's
    // "Arial" stays "Arial" where Liberation Sans stands in for it.
    for (const QString &name : {QStringLiteral("Arial"), QStringLiteral("Arial Cyr")})
        if (!families.contains(name, Qt::CaseInsensitive) && !QFont::substitutes(name).isEmpty()) families << name;
    families.sort(Qt::CaseInsensitive);
    return families;
}

QString TFRDesignerForm::DefaultFont(const QStringList &families)
{
    for (const QString &name : {QStringLiteral("Arial"), QStringLiteral("Arial Cyr")})
        if (families.contains(name, Qt::CaseInsensitive)) return name;
    return families.isEmpty() ? QStringLiteral("Arial") : families.first();
}
