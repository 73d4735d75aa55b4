#pragma once

// Runs the built quotaly-cli (its path comes from the test target) and collects what it printed.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quotaly::test {

struct CliRun
{
    int exitCode = -1; ///< -1 when the program did not finish normally
    QString out;
    QString err;
};

/// Runs `quotaly-cli args...`, with LC_ALL set to `locale` when one is given.
inline CliRun runCli(const QStringList &args, const QString &locale = {})
{
    QProcess process;
    if (!locale.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        process.setProcessEnvironment(env);
    }
    process.start(QStringLiteral(QUOTALY_CLI_PATH), args);
    CliRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace quotaly::test
