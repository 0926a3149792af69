#pragma once
// A program run as a user runs it, for the tests that start tonalba-cli (or
// pdftotext) as a process of its own: its exit code, its outputs, and whether
// it died (then the exit code is 128 + the signal, as a shell shows it).

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

struct CliRun
{
    int exitCode = -1;
    bool crashed = false;
    QString out, err;
};

// `prepare` adjusts the process before it starts (limits, a child modifier).
inline CliRun runProgram(const QString &program, const QStringList &args, const QProcessEnvironment &env,
                         const std::function<void(QProcess &)> &prepare = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (prepare) prepare(p);
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.crashed = p.exitStatus() == QProcess::CrashExit;
    r.exitCode = r.crashed ? 128 + p.exitCode() : p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The user's environment with Italian regional settings.
inline QProcessEnvironment italianEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TONALBA_LOCALE"), QStringLiteral("it_IT"));
    return env;
}
