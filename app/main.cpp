// The diary program.

#include "app/application.h"
#include "app/frm_main.h"
#include "app/frm_stampa.h"
#include "core/formatsettings.h"
#include "settings/formplacement.h"

#include <QMessageBox>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);

    QString error;
    if (!TFormatSettings::initFromEnvironment(QString(), &error)) {
        QMessageBox::critical(nullptr, TApplication::Title(), error);
        return 2;
    }
    app.loadQtTranslations(TFormatSettings::current().localeName);
    TFormPlacement::SetErrorDisplay([](const Exception &e) { TApplication::ShowException(e); });

    // Qt has taken its own options (-platform and the like) out of the arguments.
    const QStringList arguments = app.arguments().mid(1);
    int status = 0;
    try {
        Tfrm_main frm_main(arguments);
        // A failed connection ends the program here; the window still saves its placement.
        if (frm_main.TerminateRequested()) return 1;
        Tfrm_stampa frm_stampa(&frm_main);
        frm_main.frm_stampa = &frm_stampa;
        frm_main.show();
        status = app.exec();
        frm_main.frm_stampa = nullptr;
    } catch (const std::exception &e) {
        TApplication::ShowException(e);
        return 1;
    }
    return status;
}
