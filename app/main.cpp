// The diary program.

#include "app/application.h"
#include "data/formatsettings.h"

#include <QMessageBox>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Tonalba"));

    QString error;
    if (!TFormatSettings::initFromEnvironment(QString(), &error)) {
        QMessageBox::critical(nullptr, QStringLiteral("Tonalba"), error);
        return 1;
    }
    // The main window arrives with the start-up work; until then say so.
    QMessageBox::information(nullptr, QStringLiteral("Tonalba"),
                             QStringLiteral("Tonalba: la finestra principale non è ancora disponibile."));
    return 0;
}
