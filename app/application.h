#pragma once
// The program's application object. Failures raised inside event handlers
// unwind to here: Qt must not see an exception leave a handler, so notify()
// catches them, shows the message in a box titled with the application title,
// and swallows the silent abort (EAbort) without a word.

#include <QApplication>
#include <QTranslator>
#include <functional>

class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows a failure's message; tests replace it to collect messages.
    static std::function<void(const QString &message)> &showExceptionHook();
    static void ShowException(const std::exception &error);

    // "Tonalba": the caption of message boxes.
    static QString Title();
    // Maps the Windows fonts the windows are laid out with onto metric twins.
    static void substituteFonts();
    // Qt's own dialogs (file, print, standard buttons) speak the language of
    // the regional settings: Italian ones load Qt's Italian texts. Returns
    // whether a translation was installed.
    bool loadQtTranslations(const QString &localeName);

private:
    QTranslator *m_qtTranslator = nullptr;
};
