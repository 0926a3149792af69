// tonalba-cli: the diary's command-line tool. Runs without a display.

#include "tools/clicommand.h"
#include "core/formatsettings.h"
#include "report/frloadresult.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {
QList<CliCommand> &commandList()
{
    static QList<CliCommand> list;
    return list;
}

void printUsage(FILE *out)
{
    QTextStream s(out);
    s << "Usage: tonalba-cli <command> [arguments] [--locale NAME]\n"
         "       tonalba-cli --help | --version\n\nCommands:\n";
    for (const CliCommand &c : commandList())
        s << "  " << c.usage << "\n";
}
} // namespace

bool registerCliCommand(const CliCommand &command)
{
    commandList().append(command);
    return true;
}

const QList<CliCommand> &cliCommands() { return commandList(); }

void cliError(const QString &message)
{
    QTextStream(stderr) << message << "\n";
}

void cliShowLoadResult(const TfrLoadResult &result)
{
    for (const TfrMessage &m : result.Messages) cliError(m.caption + QStringLiteral(": ") + frOneLine(m.text));
    if (!result.Ok && !result.Reason.isEmpty()) cliError(result.Reason);
}

int cliUsage(const QString &message)
{
    if (!message.isEmpty()) cliError(message);
    printUsage(stderr);
    return 2;
}

// The command named on the command line, before any Qt application exists.
const CliCommand *commandOf(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--locale")) {
            ++i;
            continue;
        }
        if (a.startsWith(QLatin1String("-"))) continue;
        for (const CliCommand &c : commandList())
            if (c.name == a) return &c;
        return nullptr;
    }
    return nullptr;
}

int main(int argc, char **argv)
{
    // Never a display: an ssh session, cron or a terminal left over from an
    // ended desktop session may name one that cannot be reached, and Qt
    // aborts then. The user's own choice of platform stands.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder and complains on stderr without one.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/tonalba-runtime-" + QByteArray::number(getuid());
        if (QDir().mkpath(QString::fromLocal8Bit(dir))) {
            QFile::setPermissions(QString::fromLocal8Bit(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                    | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", dir);
        }
    }
    // Only the commands that draw (fonts, pictures) need a GUI application.
    const CliCommand *named = commandOf(argc, argv);
    std::unique_ptr<QCoreApplication> application;
    if (named && named->draws) application = std::make_unique<QGuiApplication>(argc, argv);
    else application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication &app = *application;

    QStringList args = app.arguments().mid(1);
    QString locale;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--locale") {
            if (i + 1 >= args.size()) return cliUsage(QStringLiteral("--locale vuole un valore"));
            locale = args[i + 1];
            args.remove(i, 2);
            break;
        }
        if (args[i].startsWith("--locale=")) {
            locale = args[i].mid(9);
            args.remove(i);
            break;
        }
    }
    QString error;
    if (!TFormatSettings::initFromEnvironment(locale, &error)) {
        cliError(error);
        return 2;
    }

    if (!args.isEmpty() && args[0] == "--version") {
        QTextStream(stdout) << "tonalba-cli " << TONALBA_VERSION << "\n";
        return 0;
    }
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
        printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const CliCommand &c : commandList()) {
        if (c.name == name) return c.run(args);
    }
    return cliUsage(QStringLiteral("Comando sconosciuto: %1").arg(name));
}
