#pragma once
// Tfrm_main: the diary's main window. Its creation runs the start-up: window
// placement, archive choice, backup and compaction, connection, both tables
// open and the diary on its last day. It shows one day on the card page, all
// days on the list page and the person's header on the configuration page,
// with the command bar above and the navigator below.
//
// The window owns the connection `Database`, the tables `Diario` and
// `Intesta` with their sources and fields (through the diary model), the
// settings storage `FormStorage1`, the message box `mymsg` and the report
// `frReport1`; components are found by object name ("frm_main.Diario"), and
// the window is registered with the report engine as an open form, so the
// template "diario.frf" reaches its tables by those names.

#include "app/diarymodel.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QScrollArea;
class QStackedWidget;
class QToolButton;
class QGroupBox;
class QPushButton;
class TDaoDatabase;
class TDaoTable;
class TDataSource;
class TDBNavBar;
class TDBEdit;
class TDBMemo;
class TDBText;
class TDBDateEdit;
class TExRichDBGrid;
class TFormStorage;
class TMessageBoxDlg;
class Tfrm_pass;
class Tfrm_stampa;
class TfrReport;

// The command bar and other gradient panels.
class TGradientPanel : public QWidget
{
    Q_OBJECT
public:
    TGradientPanel(const QColor &from, const QColor &to, int steps, QWidget *parent = nullptr);
    std::function<void()> OnResize;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor m_from, m_to;
    int m_steps;
};

class Tfrm_main : public QWidget
{
    Q_OBJECT
public:
    // arguments: the command line after Qt took its own options, without the program.
    explicit Tfrm_main(const QStringList &arguments, QWidget *parent = nullptr);
    ~Tfrm_main() override;

    // Program-wide state.
    QString AppFolder;                       // with a trailing "/"
    QString ArchiveName = QStringLiteral("schedario");
    bool PrintFilterActive() const { return model->PrintFilterActive; }
    void SetPrintFilterActive(bool value) { model->PrintFilterActive = value; }
    QString ArchiveFile() const { return AppFolder + ArchiveName + QStringLiteral(".mdb"); }
    QString BackupFile() const { return AppFolder + ArchiveName + QStringLiteral("_backup.mdk"); }

    // The archive could not be opened: the program ends after its message.
    bool TerminateRequested() const { return m_terminate; }

    // The period dialog, created by the program entry and kept for the run.
    Tfrm_stampa *frm_stampa = nullptr;

    // Components.
    TDaoDatabase *Database;
    TDaoTable *Diario;
    TDaoTable *Intesta;
    TDataSource *ds_diario;
    TDataSource *ds_intesta;
    TDiaryModel *model;
    TFormStorage *FormStorage1;
    TMessageBoxDlg *mymsg;
    TfrReport *frReport1;

    TGradientPanel *Panel1;
    QList<QToolButton *> ButtonPanel2;       // the five command buttons
    QToolButton *ButtonPanel1;               // the link button on the right
    QScrollArea *PageScroller;               // holds the pages; scrolls only on small screens
    QStackedWidget *PageControl1;
    QWidget *tb_scheda, *tb_lista, *tb_config;
    TDBNavBar *nav_diario;

    // Card page.
    TDBText *DBText1;
    TDBDateEdit *DataEdit;
    TDBEdit *PesoEdit;
    QGroupBox *GroupBox1, *GroupBox2;
    QList<TDBEdit *> ReadingEdits;           // group 1 then group 2, in tab order
    TDBMemo *NoteMemo;
    QLabel *LabelBMI, *LabelPressione;
    TDBText *DBTextBMI, *DBTextPRE;

    // List page.
    TExRichDBGrid *grid_diario;
    QLineEdit *cerca;

    // Configuration page.
    TDBEdit *NomeEdit;
    TDBDateEdit *NascitaEdit;
    TDBEdit *AltezzaEdit;
    TDBDateEdit *TerapiaDataEdit;
    TDBMemo *TerapiaMemo;
    QPushButton *BitBtn1;                    // edit the report template
    QPushButton *BitBtn2;                    // new archive

    // Handlers.
    void FormCreate(const QStringList &arguments);
    void stepPage(int step);
    void ButtonPanel2Buttons0Click();
    void ButtonPanel2Buttons1Click();
    void ButtonPanel2Buttons2Click();
    void ButtonPanel2Buttons4Click();
    void ButtonPanel2Buttons5Click();
    void ButtonPanel1Buttons0Click();
    void grid_diarioDblClick();
    void grid_diarioTitleBtnClick(int ACol, TField *Field);
    void cercaChange();
    void DiarioBeforeDelete(TDataSet *DataSet);
    void BitBtn1Click();
    void BitBtn2Click();

    // Injection points for tests and the platform.
    static std::function<bool(const QUrl &url)> &openUrlHook();
    // Shows the archive chooser; returns the chosen name or empty.
    static std::function<QString(Tfrm_pass *chooser)> &chooserHook();
    // The new-archive question: the answer, or a null string for Cancel.
    static std::function<QString(QWidget *parent)> &askArchiveNameHook();
    // Shows the period dialog modally; returns its result. Tests answer it here.
    static std::function<int(Tfrm_stampa *dialog)> &periodDialogHook();

    static QString VersionTitle() { return QStringLiteral("Tonalba 01.02 - "); }
    // The list page's grid as the window sets it up: options, look and columns.
    static void ConfigureListGrid(TExRichDBGrid *grid);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildCommandBar();
    void buildCardPage();
    void buildListPage();
    void buildConfigPage();
    void chooseArchive(const QStringList &arguments);
    void backupAndCompact();
    void waitForOtherStart(const QString &archive);
    // Read-only: compaction was refused, so no change could be saved safely either.
    void connectAndOpen(bool readOnly = false);
    void showPage(QWidget *page, bool navigatorEnabled);
    void FormClose();
    Tfrm_stampa *periodDialog();
    // Loads application folder + "diario.frf" into frReport1; false when it could
    // not be read, `damaged` when the engine found it corrupt (it then holds one
    // empty page). Either message has been shown.
    bool loadReportTemplate(bool &damaged);

    bool m_terminate = false;
};
