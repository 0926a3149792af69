#include "app/application.h"
#include "core/exceptions.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QWidget>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tonalba"));
    substituteFonts();
    SetExceptionHandler([](const std::exception &e) { ShowException(e); });
}

void TApplication::substituteFonts()
{
    // Layouts are drawn for Arial's metrics; Liberation Sans has the same widths.
    for (const char *family : {"Arial", "Arial Cyr", "Microsoft Sans Serif", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Sans"));
}

bool TApplication::loadQtTranslations(const QString &localeName)
{
    if (m_qtTranslator) {
        removeTranslator(m_qtTranslator);
        delete m_qtTranslator;
        m_qtTranslator = nullptr;
    }
    // Only Italian: the interface is Italian, and Qt's English is what other
    // desktops get anyway.
    if (!localeName.startsWith(QLatin1String("it"))) return false;
    auto *translator = new QTranslator(this);
    if (!translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    installTranslator(translator);
    m_qtTranslator = translator;
    return true;
}

QString TApplication::Title()
{
    return QStringLiteral("Tonalba");
}

std::function<void(const QString &)> &TApplication::showExceptionHook()
{
    static std::function<void(const QString &)> hook = [](const QString &message) {
        QMessageBox box(QMessageBox::Critical, Title(), message, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    };
    return hook;
}

void TApplication::ShowException(const std::exception &error)
{
    QString message;
    if (auto *e = dynamic_cast<const Exception *>(&error)) message = e->message();
    else message = QString::fromUtf8(error.what());
    if (showExceptionHook()) showExceptionHook()(message);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAbort &) {
        return true;
    } catch (const std::exception &e) {
        ShowException(e);
        return true;
    } catch (...) {
        if (showExceptionHook()) showExceptionHook()(QStringLiteral("Errore imprevisto."));
        return true;
    }
}
