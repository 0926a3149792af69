// Renders the navigator bar, the delete confirmation box and the open calendar
// of a date edit to PNG files, for a look by eye:
//   xvfb-run -a build/<dir>/tests/controls/controls_snapshot <output folder>

#include "controls/dateedit.h"
#include "controls/dbnavbar.h"
#include "controls/messageboxdlg.h"
#include "controls/popupcalendar.h"
#include "data/datasource.h"
#include "tests/data/memorydataset.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Tonalba");
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);

    TMemoryDataSet table;
    table.addColumn("ID", ftAutoInc);
    for (int i = 0; i < 3; ++i) table.addRow({QVariant()});
    TDataSource source;
    source.SetDataSet(&table);
    table.Open();
    table.Next();

    // The main window's bar: large glyphs, silver to workspace.
    QWidget window;
    QFont font("Liberation Sans");   // the main window's 11-pixel font
    font.setPixelSize(11);
    window.setFont(font);
    window.resize(635, 120);
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new TDateEdit(&window);
    edit->setFixedWidth(121);
    edit->SetNumGlyphs(2);
    edit->SetDate(encodeDate(2024, 3, 5));
    layout->addWidget(edit);
    layout->addStretch();
    auto *bar = new TDBNavBar(&window);
    bar->SetAlign(TAlign::alBottom);
    bar->SetGlyphSize(TGlyphSize::gsLarge);
    TDBNavBar::Look look = bar->Colors();
    look.Color = QColor(0xC0, 0xC0, 0xC0);
    look.ColorTo = QColor(0xAB, 0xAB, 0xAB);
    bar->SetColors(look);
    bar->SetDataSource(&source);
    bar->setFixedHeight(30);
    layout->addWidget(bar);
    window.show();
    window.activateWindow();

    QTimer::singleShot(300, [&] {
        bar->grab().save(out + "/navbar.png");
        table.Edit();
        bar->grab().save(out + "/navbar_editing.png");
        table.Cancel();

        edit->setFocus();
        edit->DoClick();
        QTimer::singleShot(300, [&] {
            edit->Calendar()->grab().save(out + "/calendar.png");
            window.screen()->grabWindow(0).save(out + "/screen_calendar.png");
            edit->Calendar()->hide();

            TMessageBoxDlg box;
            box.DlgType = TMsgDlgType::mtWarning;
            box.MessageAlignment = Qt::AlignHCenter;
            box.BoxHeight = 100;
            QTimer::singleShot(300, [&] {
                QWidget *form = QApplication::activeModalWidget();
                if (form) {
                    form->grab().save(out + "/messagebox.png");
                    window.screen()->grabWindow(0).save(out + "/screen_messagebox.png");
                    form->close();
                }
            });
            box.ShowMessageAsk("   Confermi la cancellazione di questa registrazione ?   ",
                               TMsgDlgType::mtConfirmation, 0, TMsgDlgButtons(mbYes) | mbNo);
            app.quit();
        });
    });
    return app.exec();
}
