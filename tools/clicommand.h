#pragma once
// A subcommand of tonalba-cli. Each command lives in its own cli_<name>.cpp and
// registers itself with TONALBA_CLI_COMMAND. Exit codes: 0 success, 1 failure
// (message on stderr), 2 usage error.

#include <QStringList>
#include <functional>

struct CliCommand
{
    QString name;      // "new", "compact", "report", ...
    QString usage;     // one line for --help
    std::function<int(const QStringList &args)> run;   // args after the command name
    bool draws = false;   // needs fonts and pictures: runs in an offscreen GUI application
};

bool registerCliCommand(const CliCommand &command);
const QList<CliCommand> &cliCommands();

// Helpers for commands.
void cliError(const QString &message);   // one line on stderr
int cliUsage(const QString &message);     // prints usage to stderr, returns 2

// A load's messages, "Caption: text" a line, then the reason when it failed.
struct TfrLoadResult;
void cliShowLoadResult(const TfrLoadResult &result);

// A day given as an argument: ISO "YYYY-MM-DD" or the user's short date.
bool cliParseDay(const QString &text, double &out);
QString cliDayError(const QString &text);   // the message for a day that is neither

#define TONALBA_CLI_COMMAND_CONCAT2(a, b) a##b
#define TONALBA_CLI_COMMAND_CONCAT(a, b) TONALBA_CLI_COMMAND_CONCAT2(a, b)
#define TONALBA_CLI_COMMAND(...) \
    static const bool TONALBA_CLI_COMMAND_CONCAT(s_cliRegistered, __LINE__) = registerCliCommand(CliCommand{__VA_ARGS__})
