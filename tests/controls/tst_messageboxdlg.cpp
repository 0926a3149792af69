// The message box: the window it builds (icon, text, buttons, sizes, place),
// the results it returns for each way of closing it, and the text treated as
// a format pattern.

#include "tests/app/accessibilitycheck.h"
#include "controls/messageboxdlg.h"
#include "controls/messageform_p.h"
#include "core/exceptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>

namespace {

// Runs `check` on the box once it is up, then `finish` closes it. A check that
// fails leaves the box open: the guard closes it so the test cannot hang.
void whenShown(std::function<void(TMessageForm *)> check, std::function<void(TMessageForm *)> finish)
{
    QTimer::singleShot(0, [check, finish] {
        auto *form = qobject_cast<TMessageForm *>(QApplication::activeModalWidget());
        if (!form) {
            QFAIL("no message box is shown");
            return;
        }
        struct Guard
        {
            TMessageForm *form;
            ~Guard()
            {
                if (form->isVisible()) form->done(-1);
            }
        } guard{form};
        check(form);
        finish(form);
    });
}

QImage iconImage(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which).pixmap(32, 32).toImage();
}

const QString kConfirm = QStringLiteral("   Confermi la cancellazione di questa registrazione ?   ");

// mymsg as the main window configures it.
void configureMymsg(TMessageBoxDlg &box)
{
    box.DlgType = TMsgDlgType::mtWarning;
    box.MessageAlignment = Qt::AlignHCenter;
    box.CaptionAlignment = Qt::AlignHCenter;
    box.BoxHeight = 100;
}

} // namespace

class TestMessageBoxDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName("Tonalba"); }

    // As a screen reader reads it: the buttons named, the message readable.
    void readByAScreenReader()
    {
        TMessageBoxDlg box;
        configureMymsg(box);
        QStringList problems;
        QString tree;
        whenShown(
            [&](TMessageForm *form) {
                problems = a11y::problems(form);
                tree = a11y::tree(form);
            },
            [](TMessageForm *form) { QTest::keyClick(form->focusWidget(), Qt::Key_Return); });
        box.ShowMessageAsk(kConfirm, TMsgDlgType::mtConfirmation, 0, TMsgDlgButtons(mbYes) | mbNo);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n') + "\n" + tree));
        QVERIFY2(tree.contains(kConfirm), qPrintable(tree));
    }

    void deleteConfirmationLayout()
    {
        TMessageBoxDlg box;
        configureMymsg(box);
        whenShown(
            [](TMessageForm *form) {
                QCOMPARE(form->windowTitle(), QString("Tonalba"));
                auto *image = form->findChild<QLabel *>("Image");
                QVERIFY(image);
                QCOMPARE(image->pixmap().toImage(), iconImage(QStyle::SP_MessageBoxQuestion));
                QVERIFY(image->pixmap().toImage() != iconImage(QStyle::SP_MessageBoxWarning));
                QCOMPARE(form->findChild<QLabel *>("Message")->text(), kConfirm);
                auto *yes = form->findChild<QPushButton *>("Yes");
                auto *no = form->findChild<QPushButton *>("No");
                QVERIFY(yes && no);
                QCOMPARE(yes->text(), QString("&Yes"));
                QCOMPARE(no->text(), QString("&No"));
                QCOMPARE(form->findChildren<QPushButton *>().size(), 2);
                QVERIFY(yes->isDefault());
                QCOMPARE(form->focusWidget(), yes);
                // Row centred in the computed (outer) width: 75 wide, 80 apart.
                const int width = form->frameGeometry().width();
                QCOMPARE(yes->geometry(), QRect((width - 160) / 2, 5, 75, 25));
                QCOMPARE(no->geometry(), QRect((width - 160) / 2 + 80, 5, 75, 25));
                QCOMPARE(form->frameGeometry().height(), 120);   // BoxHeight 100 + 20
                const QRect screen = form->screen()->geometry();
                QCOMPARE(form->frameGeometry().center().x(), screen.center().x());
                QVERIFY(qAbs(form->frameGeometry().center().y() - screen.center().y()) <= 1);
                // The strip sits at the bottom, 40 high.
                QCOMPARE(yes->parentWidget()->geometry(), QRect(0, form->height() - 40, form->width(), 40));
            },
            [](TMessageForm *form) { QTest::keyClick(form->focusWidget(), Qt::Key_Return); });
        QCOMPARE(box.ShowMessageAsk(kConfirm, TMsgDlgType::mtConfirmation, 0, TMsgDlgButtons(mbYes) | mbNo),
                 int(mrYes));
    }

    void resultOfEachWayOfClosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter on the default") << "enter" << int(mrNo);
        QTest::newRow("title-bar close") << "close" << 2;
        QTest::newRow("Escape") << "escape" << 2;
        QTest::newRow("click on Yes") << "yes" << int(mrYes);
    }
    void resultOfEachWayOfClosing()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        TMessageBoxDlg box;
        whenShown([](TMessageForm *) {},
                  [how](TMessageForm *form) {
                      if (how == "enter") QTest::keyClick(form->focusWidget(), Qt::Key_Return);
                      else if (how == "close") form->close();
                      else if (how == "escape") QTest::keyClick(form, Qt::Key_Escape);
                      else QTest::mouseClick(form->findChild<QPushButton *>("Yes"), Qt::LeftButton);
                  });
        // Default-button index 1: the second created button, "&No".
        QCOMPARE(box.ShowMessageAsk("?", TMsgDlgType::mtConfirmation, 1, TMsgDlgButtons(mbYes) | mbNo), result);
    }

    void connectionErrorShowsTheWarning()
    {
        TMessageBoxDlg box;
        configureMymsg(box);
        whenShown(
            [](TMessageForm *form) {
                QCOMPARE(form->findChild<QLabel *>("Image")->pixmap().toImage(),
                         iconImage(QStyle::SP_MessageBoxWarning));
                const auto buttons = form->findChildren<QPushButton *>();
                QCOMPARE(buttons.size(), 1);
                QCOMPARE(buttons[0]->text(), QString("OK"));
                QCOMPARE(form->frameGeometry().height(), 120);
            },
            [](TMessageForm *form) { form->close(); });
        // Closed from the title bar, the text box still answers 1.
        QCOMPARE(box.ShowMessageText("   Errore di connessione al DB.   "), 1);
    }

    void computedSizeFollowsTheText()
    {
        TMessageBoxDlg box;
        const QString text = "first line\nthe second, longer line";
        whenShown(
            [text](TMessageForm *form) {
                const QFontMetrics fm(form->findChild<QLabel *>("Message")->font());
                const int textWidth = fm.horizontalAdvance("the second, longer line");
                // No icon for the custom kind; three buttons need 250.
                QCOMPARE(form->findChild<QLabel *>("Image"), nullptr);
                const QRect outer = form->frameGeometry();
                QCOMPARE(outer.width(), std::max(textWidth + 10, 250));
                QCOMPARE(outer.height(), 2 * fm.lineSpacing() + 25 + 40);
                QCOMPARE(form->findChild<QPushButton *>("Cancel")->x(), (outer.width() - 240) / 2 + 160);
            },
            [](TMessageForm *form) { form->findChild<QPushButton *>("Cancel")->click(); });
        QCOMPARE(box.ShowMessageAsk(text, std::nullopt, 0, TMsgDlgButtons(mbYes) | mbNo | mbCancel), int(mrCancel));
    }

    void boxWidthKeepsTheRowOfTheComputedWidth()
    {
        TMessageBoxDlg box;
        box.BoxWidth = 400;
        whenShown(
            [](TMessageForm *form) {
                QCOMPARE(form->frameGeometry().width(), 404);
                // One button: the row starts at (w' - 80) / 2 of the computed
                // width w' = max(w + 10, 90) = 90, not of 404.
                QCOMPARE(form->findChild<QPushButton *>("OK")->x(), 5);
            },
            [](TMessageForm *form) { form->close(); });
        box.ShowMessageText("x");
    }

    void titlesHintsAndHelp()
    {
        TMessageBoxDlg box;
        box.CaptionTitle = "Diario";
        box.ButtonTitles = {"Sì"};
        box.ShowHints = true;
        box.Hints = {"the message", "first", "second"};
        int helps = 0;
        box.OnHelpClick = [&](TMessageBoxDlg *) { ++helps; };
        whenShown(
            [&helps](TMessageForm *form) {
                QCOMPARE(form->windowTitle(), QString("Diario"));
                QCOMPARE(form->findChild<QPushButton *>("Yes")->text(), QString("Sì"));
                QCOMPARE(form->findChild<QPushButton *>("Help")->text(), QString("&Help"));
                QCOMPARE(form->findChild<QPushButton *>("Help")->toolTip(), QString("second"));
                QCOMPARE(form->findChild<QLabel *>("Message")->toolTip(), QString("the message"));
                form->findChild<QPushButton *>("Help")->click();
                QCOMPARE(helps, 1);
                QVERIFY(form->isVisible());   // help does not close
            },
            [](TMessageForm *form) { form->findChild<QPushButton *>("Yes")->click(); });
        QCOMPARE(box.ShowMessageAsk("?", TMsgDlgType::mtInformation, 0, TMsgDlgButtons(mbYes) | mbHelp),
                 int(mrYes));
    }

    void showAgainBox()
    {
        TMessageBoxDlg box;
        box.ShowAgainBox = true;
        box.ShowAgain = false;
        whenShown(
            [](TMessageForm *form) {
                auto *check = form->findChild<QCheckBox *>("ShowAgainBox");
                QVERIFY(check);
                QVERIFY(check->isChecked());
                QCOMPARE(check->y(), 35);
                QCOMPARE(check->parentWidget()->height(), 60);
                check->click();
            },
            [](TMessageForm *form) { form->close(); });
        box.ShowMessageText("x");
        QVERIFY(box.ShowAgain);
    }

    void placement_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("relate");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QString>("where");
        QTest::newRow("top left of the screen") << int(TBoxPosition::bpTopLeft) << int(TBoxRelatePos::brScreen)
                                                << QPoint() << "topleft";
        QTest::newRow("bottom right of the work area")
            << int(TBoxPosition::bpBottomRight) << int(TBoxRelatePos::brScreenWorkArea) << QPoint() << "bottomright";
        QTest::newRow("custom offset") << int(TBoxPosition::bpCustom) << int(TBoxRelatePos::brScreen)
                                       << QPoint(30, 40) << "custom";
        QTest::newRow("main window, none shown: the screen")
            << int(TBoxPosition::bpCenter) << int(TBoxRelatePos::brMainForm) << QPoint() << "center";
    }
    void placement()
    {
        QFETCH(int, position);
        QFETCH(int, relate);
        QFETCH(QPoint, offset);
        QFETCH(QString, where);
        TMessageBoxDlg box;
        box.Position = TBoxPosition(position);
        box.RelatePos = TBoxRelatePos(relate);
        box.BoxLeft = offset.x();
        box.BoxTop = offset.y();
        whenShown(
            [where, offset](TMessageForm *form) {
                const QRect g = form->frameGeometry();
                const QRect screen = form->screen()->geometry();
                const QRect work = form->screen()->availableGeometry();
                if (where == "topleft") QCOMPARE(g.topLeft(), screen.topLeft());
                if (where == "bottomright") QCOMPARE(g.bottomRight(), work.bottomRight());
                if (where == "custom") QCOMPARE(g.topLeft(), screen.topLeft() + offset);
                if (where == "center") QVERIFY((g.center() - screen.center()).manhattanLength() <= 1);
            },
            [](TMessageForm *form) { form->close(); });
        box.ShowMessageText("x");
    }

    void textIsAFormatPattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("shown");
        QTest::newRow("doubled percent") << "100%% sicuro" << "100% sicuro";
        QTest::newRow("no percent") << "   Errore   " << "   Errore   ";
        QTest::newRow("four percents") << "%%%%" << "%%";
    }
    void textIsAFormatPattern()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, shown);
        QCOMPARE(TMessageBoxDlg::formatPattern(pattern), shown);
    }

    void lonePercentIsRefused()
    {
        TMessageBoxDlg box;
        try {
            box.ShowMessageText("50% done");
            QFAIL("no error raised");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QString("Format '50% done' invalid or incompatible with argument"));
        }
    }
};

QTEST_MAIN(TestMessageBoxDlg)
#include "tst_messageboxdlg.moc"
