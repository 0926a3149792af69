// The data-aware edit, memo and label against an in-memory table: what they
// show focused and unfocused, how typing starts editing, how their text gets
// into the fields (empty text is null, a grouped number is refused), Escape,
// and a table that cannot be modified.

#include "controls/dbedit.h"
#include "controls/dbmemo.h"
#include "controls/dbtext.h"
#include "data/datasource.h"
#include "data/fieldtypes.h"
#include "tests/data/memorydataset.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

struct Card
{
    TMemoryDataSet table;
    TDataSource source;
    QWidget window;
    TDBEdit *weight;
    TDBEdit *systolic;
    TDBMemo *notes;
    TDBText *bmiText;
    TFloatField *peso;

    Card()
    {
        table.addColumn("ID", ftAutoInc);
        table.addColumn("Peso", ftFloat);
        table.addColumn("SX_MAX_1", ftInteger);
        table.addColumn("Note", ftMemo);
        table.addRow({QVariant(), 72.5, 125, QString("riga uno\r\nriga due")});
        table.addRow({QVariant(), QVariant(), 130, QVariant()});
        auto *id = new TAutoIncField(&table);
        id->FieldName = "ID";
        id->SetDataSet(&table);
        peso = new TFloatField(&table);
        peso->FieldName = "Peso";
        peso->SetDisplayFormat("0.0 kg");
        peso->SetEditFormat("0.00");
        peso->SetDataSet(&table);
        auto *max = new TIntegerField(&table);
        max->FieldName = "SX_MAX_1";
        max->SetDataSet(&table);
        auto *note = new TMemoField(&table);
        note->FieldName = "Note";
        note->SetDataSet(&table);
        source.SetDataSet(&table);

        auto *layout = new QVBoxLayout(&window);
        auto *start = new QLineEdit(&window);   // takes the focus when the window activates
        layout->addWidget(start);
        weight = new TDBEdit(&window);
        systolic = new TDBEdit(&window);
        notes = new TDBMemo(&window);
        bmiText = new TDBText(&window);
        for (QWidget *w : {static_cast<QWidget *>(weight), static_cast<QWidget *>(systolic),
                           static_cast<QWidget *>(notes), static_cast<QWidget *>(bmiText)})
            layout->addWidget(w);
        weight->SetDataSource(&source);
        weight->SetDataField("Peso");
        systolic->SetDataSource(&source);
        systolic->SetDataField("SX_MAX_1");
        notes->SetDataSource(&source);
        notes->SetDataField("Note");
        bmiText->SetDataSource(&source);
        bmiText->SetDataField("Peso");
        table.Open();
        window.show();
        QApplication::setActiveWindow(&window);
    }
};

} // namespace

class TestDBEdit : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        TFormatSettings it;
        TFormatSettings::forLocale("it_IT", it);
        TFormatSettings::setCurrent(it);
    }

    void showsDisplayTextUnfocusedAndEditTextFocused()
    {
        Card c;
        QCOMPARE(c.weight->text(), QString("72,5 kg"));
        QCOMPARE(c.bmiText->text(), QString("72,5 kg"));
        c.weight->setFocus();
        QVERIFY(c.weight->hasFocus());
        QCOMPARE(c.weight->text(), QString("72,50"));
        c.systolic->setFocus();
        QCOMPARE(c.weight->text(), QString("72,5 kg"));
        c.table.Next();
        QCOMPARE(c.weight->text(), QString());
        QCOMPARE(c.systolic->text(), QString("130"));
        QCOMPARE(c.bmiText->text(), QString());
        QCOMPARE(c.notes->toPlainText(), QString());
    }

    void typingStartsEditAndLeavingWrites()
    {
        Card c;
        c.systolic->setFocus();
        QVERIFY(c.systolic->isReadOnly());
        c.systolic->selectAll();
        QTest::keyClicks(c.systolic, "118");
        QCOMPARE(c.table.State(), DataSetState::Edit);
        QCOMPARE(c.systolic->text(), QString("118"));
        QCOMPARE(c.table.FieldByName("SX_MAX_1")->AsInteger(), 125);   // not yet written
        c.weight->setFocus();                                          // leaving writes
        QCOMPARE(c.table.FieldByName("SX_MAX_1")->AsInteger(), 118);
        c.table.Post();
        QCOMPARE(c.table.stored(0, "SX_MAX_1").toInt(), 118);
    }

    void postCollectsPendingText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("error");
        QTest::newRow("decimal comma") << "80,25" << QVariant(80.25) << "";
        QTest::newRow("empty text is null") << "" << QVariant() << "";
        QTest::newRow("thousands separator refused")
            << "72.500" << QVariant(72.5) << "'72.500' is not a valid floating point value for field 'Peso'";
        QTest::newRow("letters refused") << "abc" << QVariant(72.5)
                                         << "'abc' is not a valid floating point value for field 'Peso'";
    }
    void postCollectsPendingText()
    {
        QFETCH(QString, typed);
        QFETCH(QVariant, stored);
        QFETCH(QString, error);
        Card c;
        c.weight->setFocus();
        c.weight->selectAll();
        QTest::keyClick(c.weight, Qt::Key_Backspace);
        QTest::keyClicks(c.weight, typed);
        QString raised;
        try {
            c.table.Post();   // asks the controls for their text first
        } catch (const EDatabaseError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, error);
        QCOMPARE(c.table.stored(0, "Peso"), stored);
        if (!error.isEmpty()) {
            QCOMPARE(c.table.State(), DataSetState::Edit);
            QCOMPARE(c.weight->text(), typed);   // kept for correction
            c.table.Cancel();
            QCOMPARE(c.weight->text(), QString("72,50"));
        }
    }

    void escapeRestoresTheField()
    {
        Card c;
        c.systolic->setFocus();
        c.systolic->selectAll();
        QTest::keyClicks(c.systolic, "99");
        QTest::keyClick(c.systolic, Qt::Key_Escape);
        QCOMPARE(c.systolic->text(), QString("125"));
        QCOMPARE(c.systolic->selectedText(), QString("125"));
        c.table.Post();
        QCOMPARE(c.table.stored(0, "SX_MAX_1").toInt(), 125);
    }

    void readOnlyTableRefusesTyping()
    {
        Card c;
        c.table.readOnly = true;
        c.systolic->setFocus();
        c.systolic->end(false);
        QTest::keyClicks(c.systolic, "7");
        QTest::keyClick(c.notes, Qt::Key_X);
        QCOMPARE(c.table.State(), DataSetState::Browse);
        QCOMPARE(c.systolic->text(), QString("125"));
        QCOMPARE(c.notes->toPlainText(), QString("riga uno\nriga due"));
    }

    void memoKeepsCrLfLines()
    {
        Card c;
        QCOMPARE(c.notes->toPlainText(), QString("riga uno\nriga due"));
        c.notes->setFocus();
        c.notes->moveCursor(QTextCursor::End);
        QTest::keyClick(c.notes, Qt::Key_Return);
        QTest::keyClicks(c.notes, "tre");
        QCOMPARE(c.table.State(), DataSetState::Edit);
        c.table.Post();
        QCOMPARE(c.table.FieldByName("Note")->AsString(), QString("riga uno\r\nriga due\r\ntre"));

        // Emptied, the memo clears the field.
        c.notes->setFocus();
        c.notes->selectAll();
        QTest::keyClick(c.notes, Qt::Key_Delete);
        c.table.Post();
        QVERIFY(c.table.FieldByName("Note")->IsNull());
    }
};

QTEST_MAIN(TestDBEdit)
#include "tst_dbedit.moc"
