#include "settings/formstorage.h"
#include "settings/inifile.h"
#include "settings/inilink.h"
#include "settings/windowplacement.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRect DesignedFrame(100, 50, 404, 304);

QString screenSuffix()
{
    const QSize size = QGuiApplication::primaryScreen()->size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int pixelsPerInch()
{
    return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// The main window as the program builds it: the storage, a linked grid that
// keeps its layout in its own section, and handlers that log their order.
class Tfrm_main : public QWidget
{
    Q_OBJECT

public:
    Tfrm_main(const QString &iniFile, bool callsStorage, QStringList *log)
        : m_callsStorage(callsStorage), m_log(log)
    {
        setObjectName(QStringLiteral("frm_main"));
        FormStorage1 = new TFormStorage(this);
        FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
        FormStorage1->SetIniFileName(iniFile);
        FormStorage1->SetWindowCallsStorage(callsStorage);
        FormStorage1->OnRestorePlacement = [this](QObject *) { note(QStringLiteral("restore")); };
        gridLink.OnSave = [this] {
            note(QStringLiteral("save"));
            gridLink.IniObject()->WriteString(gridLink.RootSection() + QStringLiteral("Tfrm_maingrid_diario"),
                                              QStringLiteral("grid_diario.Data"), QStringLiteral("0,64"));
        };
        gridLink.OnRestore = [this] { note(QStringLiteral("grid restore")); };
        gridLink.SetStorage(FormStorage1);
        move(DesignedFrame.topLeft());
        resize(400, 300);
    }
    ~Tfrm_main() override
    {
        if (m_callsStorage)
            FormStorage1->FormDestroy();
    }

    TFormStorage *FormStorage1;
    TIniLink gridLink;
    bool refuseClose = false;

protected:
    void showEvent(QShowEvent *) override { note(QStringLiteral("window show")); }
    void closeEvent(QCloseEvent *event) override
    {
        note(QStringLiteral("window close query"));
        if (refuseClose)
            event->ignore();
        if (m_callsStorage)
            FormStorage1->FormCloseQuery(event->isAccepted());
    }

private:
    void note(const QString &text)
    {
        if (m_log)
            m_log->append(text);
    }

    bool m_callsStorage;
    QStringList *m_log;
};

class tst_FormPlacement : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstRunWritesThePlacementSection();
    void placementRoundTrips_data();
    void placementRoundTrips();
    void restoreChoosesKeys_data();
    void restoreChoosesKeys();
    void frameIsCorrectedOnceTheWindowIsFramed();
    void versionBelowTheStorageRestoresNothing();
    void windowEventOrder_data();
    void windowEventOrder();
    void saveOnDestroy_data();
    void saveOnDestroy();
    void writeFailureIsShownAndTheWindowCloses();
    void nothingIsWrittenBeforeARestoreOrWhenInactive();
    void activeControlPropertiesAndValuesRoundTrip();
    void keepReachable_data();
    void keepReachable();

private:
    QString m_file;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_FormPlacement::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("diario.ini"));
}

void tst_FormPlacement::cleanup()
{
    if (QTest::currentTestFailed()) {
        m_dir->setAutoRemove(false);
        qWarning("kept %s", qPrintable(m_dir->path()));
    }
    m_dir.reset();
    TFormPlacement::SetErrorDisplay(nullptr);
}

void tst_FormPlacement::firstRunWritesThePlacementSection()
{
    QVERIFY(!QFile::exists(m_file));
    {
        Tfrm_main window(m_file, true, nullptr);
        window.FormStorage1->RestoreSettings();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry(), DesignedFrame);
        window.close();
    }
    const QString suffix = screenSuffix();
    const QByteArray expected = QStringLiteral("[Tfrm_main]\n"
                                               "FormVersion=0\n"
                                               "Flags=0\n"
                                               "ShowCmd=1\n"
                                               "PixelsPerInch=%1\n"
                                               "MinMaxPos%2=-1,-1,-1,-1\n"
                                               "MinMaxPos=-1,-1,-1,-1\n"
                                               "NormPos%2=100,50,504,354\n"
                                               "NormPos=100,50,504,354\n"
                                               "Visible=0\n"
                                               "[Tfrm_maingrid_diario]\n"
                                               "grid_diario.Data=0,64\n")
                                    .arg(pixelsPerInch())
                                    .arg(suffix)
                                    .toUtf8();
    QCOMPARE(readFile(m_file), expected);
}

void tst_FormPlacement::placementRoundTrips_data()
{
    QTest::addColumn<Qt::WindowStates>("state");
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<int>("flags");
    QTest::newRow("normal") << Qt::WindowStates(Qt::WindowNoState) << 1 << 0;
    QTest::newRow("maximized keeps its normal rectangle") << Qt::WindowStates(Qt::WindowMaximized) << 3 << 0;
    QTest::newRow("minimized") << Qt::WindowStates(Qt::WindowMinimized) << 2 << 0;
    QTest::newRow("minimized from maximized") << (Qt::WindowMinimized | Qt::WindowMaximized) << 2 << 2;
}

// Three runs of the program: the first moves, sizes and leaves the window in
// a state; the others must restore exactly that and write the same file, so
// a window neither shrinks nor creeps from run to run.
void tst_FormPlacement::placementRoundTrips()
{
    QFETCH(Qt::WindowStates, state);
    QFETCH(int, showCmd);
    QFETCH(int, flags);
    const QRect frame(130, 90, 304, 204);
    QByteArray firstText;
    for (int run = 0; run < 3; ++run) {
        Tfrm_main window(m_file, true, nullptr);
        window.FormStorage1->RestoreSettings();
        window.show();
        QTest::qWait(20);
        if (run == 0) {
            window.move(frame.topLeft());
            window.resize(300, 200);
            QTest::qWait(20);
            QCOMPARE(window.frameGeometry(), frame);
            window.setWindowState(state);
            QTest::qWait(20);
        } else {
            QCOMPARE(window.windowState() & ~Qt::WindowActive, state);
            QCOMPARE(NormalFrameGeometry(&window), frame);
        }
        window.close();
        const QByteArray text = readFile(m_file);
        if (run == 0) {
            firstText = text;
            TIniFile ini(m_file);
            QCOMPARE(ini.ReadInteger("Tfrm_main", "ShowCmd", -1), showCmd);
            QCOMPARE(ini.ReadInteger("Tfrm_main", "Flags", -1), flags);
            QCOMPARE(ini.ReadString("Tfrm_main", "NormPos", QString()), QStringLiteral("130,90,434,294"));
        } else {
            QCOMPARE(text, firstText);
        }
    }
    // Un-maximizing the restored window brings back the stored rectangle.
    Tfrm_main window(m_file, true, nullptr);
    window.FormStorage1->RestoreSettings();
    window.show();
    QTest::qWait(20);
    window.showNormal();
    QTest::qWait(20);
    QCOMPARE(window.frameGeometry(), frame);
}

void tst_FormPlacement::restoreChoosesKeys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<Qt::WindowStates>("state");
    const QByteArray suffix = screenSuffix().toUtf8();
    const QByteArray ppi = QByteArray::number(pixelsPerInch());
    const QByteArray head = "[Tfrm_main]\nFormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=" + ppi + "\n";

    QTest::newRow("another screen size: the plain keys")
        << head + "NormPos(1x1)=10,10,110,110\nNormPos=20,30,320,230\n" << QRect(20, 30, 300, 200)
        << Qt::WindowStates();
    QTest::newRow("this screen size: its own keys")
        << head + "NormPos" + suffix + "=40,50,340,250\nNormPos=20,30,320,230\n" << QRect(40, 50, 300, 200)
        << Qt::WindowStates();
    QTest::newRow("empty screen key: the plain keys")
        << head + "NormPos" + suffix + "=\nNormPos=20,30,320,230\n" << QRect(20, 30, 300, 200) << Qt::WindowStates();
    QTest::newRow("minimized and maximized positions alone: the current rectangle")
        << head + "MinMaxPos=-1,-1,-1,-1\n" << DesignedFrame << Qt::WindowStates();
    QTest::newRow("words split at blanks and commas")
        << head + "NormPos=20 , 30,,320  230\n" << QRect(20, 30, 300, 200) << Qt::WindowStates();
    QTest::newRow("unreadable word keeps the current value")
        << head + "NormPos=abc,30,320,230\n" << QRect(100, 30, 220, 200) << Qt::WindowStates();
    QTest::newRow("other pixels per inch: the state alone")
        << QByteArray("[tfrm_main]\nshowcmd=3\npixelsperinch=1\nnormpos=20,30,320,230\n") << DesignedFrame
        << Qt::WindowStates(Qt::WindowMaximized);
    QTest::newRow("empty rectangle ignored")
        << head + "NormPos=20,30,20,230\n" << DesignedFrame << Qt::WindowStates();
    QTest::newRow("off every screen: brought back")
        << head + "NormPos=5000,-3000,5300,-2800\n" << QRect() << Qt::WindowStates();
    QTest::newRow("unknown show command: normal") << QByteArray("[Tfrm_main]\nShowCmd=4\n") << DesignedFrame
                                                  << Qt::WindowStates();
}

void tst_FormPlacement::restoreChoosesKeys()
{
    QFETCH(QByteArray, text);
    QFETCH(QRect, frame);
    QFETCH(Qt::WindowStates, state);
    writeFile(m_file, text);
    Tfrm_main window(m_file, true, nullptr);
    window.FormStorage1->RestoreSettings();
    window.show();
    QTest::qWait(20);
    QCOMPARE(window.windowState() & ~Qt::WindowActive, state);
    if (state & Qt::WindowMaximized) {
        // Maximized before it was ever framed: the designed place is kept.
        window.FormStorage1->StoreSettings();
        QCOMPARE(TIniFile(m_file).ReadString("Tfrm_main", "NormPos", QString()), FormatPlacementRect(frame));
        window.showNormal();
        QTest::qWait(20);
    }
    const QRect normal = window.frameGeometry();
    if (frame.isValid()) {
        QCOMPARE(normal, frame);
    } else {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(normal), qPrintable(FormatPlacementRect(normal)));
        QCOMPARE(normal.size(), QSize(300, 200));
    }
}

// Before the first show Qt knows no frame; the stored frame must still be
// the frame the window ends up with, not its client area.
void tst_FormPlacement::frameIsCorrectedOnceTheWindowIsFramed()
{
    writeFile(m_file, "[Tfrm_main]\nNormPos=130,90,434,294\n");
    Tfrm_main window(m_file, true, nullptr);
    window.FormStorage1->RestoreSettings();
    window.FormStorage1->SetActive(false);
    window.show();
    QTest::qWait(20);
    QCOMPARE(window.frameGeometry(), QRect(130, 90, 304, 204));
}

void tst_FormPlacement::versionBelowTheStorageRestoresNothing()
{
    writeFile(m_file, "[Tfrm_main]\nFormVersion=-1\nShowCmd=3\nNormPos=20,30,320,230\n"
                      "[Tfrm_maingrid_diario]\ngrid_diario.Data=0,90\n");
    QStringList log;
    {
        Tfrm_main window(m_file, true, &log);
        window.FormStorage1->SetVersion(0);
        window.FormStorage1->RestoreSettings();
        QVERIFY(window.FormStorage1->IsRestored());
        window.show();
        QTest::qWait(20);
        QCOMPARE(window.windowState() & ~Qt::WindowActive, Qt::WindowStates());
        QCOMPARE(window.frameGeometry(), DesignedFrame);
        window.close();
    }
    QVERIFY2(!log.contains("grid restore") && !log.contains("restore"), qPrintable(log.join(", ")));
    QVERIFY(log.contains("save"));
    TIniFile ini(m_file);
    QCOMPARE(ini.ReadInteger("Tfrm_main", "FormVersion", -5), 0);
    QCOMPARE(ini.ReadString("Tfrm_main", "NormPos", QString()), QStringLiteral("100,50,504,354"));
}

void tst_FormPlacement::windowEventOrder_data()
{
    QTest::addColumn<bool>("callsStorage");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QStringList>("closeOrder");
    QTest::newRow("window calls the storage, may close")
        << true << false << QStringList{"window close query", "save"};
    QTest::newRow("window calls the storage, refuses") << true << true << QStringList{"window close query"};
    // Qt hands the close to the storage's filter first: this is why the main
    // window calls the storage itself.
    QTest::newRow("storage alone") << false << false << QStringList{"save", "window close query"};
}

void tst_FormPlacement::windowEventOrder()
{
    QFETCH(bool, callsStorage);
    QFETCH(bool, refuse);
    QFETCH(QStringList, closeOrder);
    QStringList log;
    Tfrm_main window(m_file, callsStorage, &log);
    window.show();
    QTest::qWait(20);
    QCOMPARE(log, QStringList({"grid restore", "restore", "window show"}));
    log.clear();
    window.refuseClose = refuse;
    window.close();
    QCOMPARE(log, closeOrder);
    QCOMPARE(window.isVisible(), refuse);
    QCOMPARE(QFile::exists(m_file), !refuse);
}

void tst_FormPlacement::saveOnDestroy_data()
{
    QTest::addColumn<bool>("callsStorage");
    QTest::addColumn<bool>("gridSaved");
    QTest::newRow("window calls the storage: the grid is still there") << true << true;
    // Saved from the storage's destructor: the grid's link is gone by then,
    // but the section still bears the window's class.
    QTest::newRow("storage alone") << false << false;
}

void tst_FormPlacement::saveOnDestroy()
{
    QFETCH(bool, callsStorage);
    QFETCH(bool, gridSaved);
    {
        Tfrm_main window(m_file, callsStorage, nullptr);
        window.FormStorage1->RestoreSettings();
        window.show();
        QTest::qWait(20);
    }
    TIniFile ini(m_file);
    QCOMPARE(ini.ReadSections().value(0), QStringLiteral("Tfrm_main"));
    QCOMPARE(ini.ReadBool("Tfrm_main", "Visible", false), true);
    QCOMPARE(ini.ReadString("Tfrm_main", "NormPos", QString()), QStringLiteral("100,50,504,354"));
    QCOMPARE(ini.SectionExists("Tfrm_maingrid_diario"), gridSaved);
}

void tst_FormPlacement::writeFailureIsShownAndTheWindowCloses()
{
    QStringList shown;
    TFormPlacement::SetErrorDisplay([&shown](const Exception &error) { shown.append(error.message()); });
    const QString file = m_dir->filePath(QStringLiteral("missing/diario.ini"));
    {
        Tfrm_main window(file, true, nullptr);
        window.FormStorage1->RestoreSettings();
        window.show();
        QTest::qWait(20);
        window.close();
        QVERIFY(!window.isVisible());
        QVERIFY(!window.FormStorage1->IsSaved());
        QVERIFY(window.FormStorage1->IniFile() == nullptr);
    }
    // The close and the destroy both tried, as the window had not been saved.
    QCOMPARE(shown, QStringList(2, QStringLiteral("Unable to write to ") + file));
}

void tst_FormPlacement::nothingIsWrittenBeforeARestoreOrWhenInactive()
{
    {
        Tfrm_main window(m_file, true, nullptr);
        window.FormStorage1->StoreSettings();
        QVERIFY(!QFile::exists(m_file));
    }
    QVERIFY(!QFile::exists(m_file));

    writeFile(m_file, "[Tfrm_main]\nNormPos=20,30,320,230\n");
    {
        Tfrm_main window(m_file, false, nullptr);
        window.FormStorage1->SetActive(false);
        window.show();
        QTest::qWait(20);
        QCOMPARE(window.frameGeometry(), DesignedFrame);
        window.close();
    }
    QCOMPARE(readFile(m_file), QByteArray("[Tfrm_main]\nNormPos=20,30,320,230\n"));
}

void tst_FormPlacement::activeControlPropertiesAndValuesRoundTrip()
{
    const auto build = [this](Tfrm_main &window) {
        auto *edit = new QLineEdit(&window);
        edit->setObjectName(QStringLiteral("cerca"));
        auto *other = new QLineEdit(&window);
        other->setObjectName(QStringLiteral("altro"));
        other->move(0, 40);
        window.FormStorage1->SetOptions(window.FormStorage1->Options() | TFormPlacement::fpActiveControl);
        window.FormStorage1->SetStoredProps({QStringLiteral("cerca.text"), QStringLiteral("altro.enabled")});
        window.FormStorage1->StoredValues().Add(QStringLiteral("Count")).Value = 0;
        return edit;
    };
    {
        Tfrm_main window(m_file, true, nullptr);
        QLineEdit *edit = build(window);
        window.FormStorage1->RestoreSettings();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setText(QStringLiteral("'abc'"));
        edit->setFocus();
        window.findChild<QLineEdit *>("altro")->setEnabled(false);
        window.FormStorage1->StoredValues().FindValue("count")->Value = 5;
        window.close();
    }
    TIniFile ini(m_file);
    QCOMPARE(ini.ReadString("Tfrm_main", "ActiveControl", QString()), QStringLiteral("cerca"));
    QCOMPARE(ini.ReadString("Tfrm_main", "altro.enabled", QString()), QStringLiteral("0"));

    Tfrm_main window(m_file, true, nullptr);
    QLineEdit *edit = build(window);
    window.findChild<QLineEdit *>("altro")->setFocus();
    window.FormStorage1->RestoreSettings();
    QCOMPARE(window.focusWidget(), edit);
    QCOMPARE(edit->text(), QStringLiteral("'abc'"));
    QVERIFY(!window.findChild<QLineEdit *>("altro")->isEnabled());
    QCOMPARE(window.FormStorage1->StoredValues().FindValue("Count")->Value, QVariant(5));
}

void tst_FormPlacement::keepReachable_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("expected");
    const QList<QRect> screens = {QRect(0, 0, 1024, 740), QRect(1024, 0, 800, 600)};
    QTest::newRow("inside") << QRect(10, 10, 300, 200) << QRect(10, 10, 300, 200);
    QTest::newRow("mostly off the right, title reachable") << QRect(1000, 10, 900, 200) << QRect(1000, 10, 900, 200);
    QTest::newRow("on the second screen") << QRect(1200, 100, 300, 200) << QRect(1200, 100, 300, 200);
    QTest::newRow("title bar above the screen") << QRect(10, -5, 300, 200) << QRect(10, 0, 300, 200);
    QTest::newRow("below the second screen") << QRect(1200, 650, 300, 200) << QRect(724, 540, 300, 200);
    QTest::newRow("far away") << QRect(-5000, 5000, 300, 200) << QRect(0, 540, 300, 200);
    QTest::newRow("larger than the screen") << QRect(-5000, 0, 3000, 2000) << QRect(0, 0, 1024, 740);
    QTest::newRow("only 40 pixels of title showing") << QRect(-260, 10, 300, 200) << QRect(0, 10, 300, 200);
}

void tst_FormPlacement::keepReachable()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, expected);
    QCOMPARE(KeepReachable(frame, {QRect(0, 0, 1024, 740), QRect(1024, 0, 800, 600)}, 0), expected);
}

QTEST_MAIN(tst_FormPlacement)
#include "tst_formplacement.moc"
