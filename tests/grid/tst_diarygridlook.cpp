// The diary's list grid as it looked and stored its layout before the grid
// learned its optional extras: pixels and diario.ini, byte for byte. With
// TONALBA_GRID_GOLDEN set to a folder, writes the references there instead.

#include "gridfixture.h"

#include "settings/formstorage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gridtest;

class TestDiaryGridLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useDiaryFonts(); }
    void lookAndLayoutUnchanged();
};

void TestDiaryGridLook::lookAndLayoutUnchanged()
{
    QTemporaryDir dir;
    const QString iniFile = dir.filePath(QStringLiteral("diario.ini"));
    QImage image;
    {
        DiaryList list;
        TFormStorage storage(list.window.get());
        storage.SetIniFileName(iniFile);
        list.grid->SetIniStorage(&storage);
        list.addDays(40);
        list.show(10, 900);
        list.open();
        storage.RestoreSettings();
        list.grid->setFocus();
        list.diario->MoveBy(3);
        // What a user does on the list: a column widened, one moved, the
        // pointer over the grid.
        list.grid->Columns()[1]->SetWidth(80);
        QWidget *viewport = list.grid->viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, list.grid->CellRect(3, 0).center());
        QTest::mouseMove(viewport, list.grid->CellRect(4, 0).center());
        QTest::mouseMove(viewport, list.grid->CellRect(5, 0).center());
        QTest::mouseRelease(viewport, Qt::RightButton, {}, list.grid->CellRect(5, 0).center());
        QTest::mouseMove(viewport, list.grid->CellRect(2, 3).center());
        image = list.shot();
        storage.StoreSettings();
        list.grid->SetIniStorage(nullptr);
    }
    QFile ini(iniFile);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray iniBytes = ini.readAll();

    const QString golden = qEnvironmentVariable("TONALBA_GRID_GOLDEN");
    if (!golden.isEmpty()) {
        QVERIFY(image.save(golden + QStringLiteral("/diary_grid.png")));
        QFile out(golden + QStringLiteral("/diario.ini"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(iniBytes);
        return;
    }
    const QString data = QStringLiteral(TONALBA_GRID_DATA);
    QFile expectedIni(data + QStringLiteral("/diario.ini"));
    QVERIFY(expectedIni.open(QIODevice::ReadOnly));
    QCOMPARE(iniBytes, expectedIni.readAll());
    const QImage expected(data + QStringLiteral("/diary_grid.png"));
    QVERIFY(!expected.isNull());
    QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestDiaryGridLook)
#include "tst_diarygridlook.moc"
