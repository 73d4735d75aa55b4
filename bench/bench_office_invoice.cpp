// Writes invoices with quotaly-cli through a headless LibreOffice, beside the anchor: LibreOffice itself
// converting the English invoice template to PDF with a profile kept between runs (soffice --headless
// --convert-to pdf), in the same run. Prints the medians of: the anchor; one invoice from an analysis log with the
// kept profile; the same with the profile held by another program (so the run makes a temporary profile, as
// every run did before profiles were kept); ten invoices with --batch. Without LibreOffice it says so and exits.
#include "MedianTimer.h"
#include "app/TDM.h"
#include "office/KeptOfficeProfile.h"

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

using namespace quotaly;

namespace {

bool run(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::printf("failed: %s %s\n%s", qPrintable(program), qPrintable(args.join(u' ')),
                    process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// A copy of the shipped data folder with the client the invoices are for.
QString dataFolder(const QTemporaryDir &dir)
{
    const QString data = dir.filePath(QStringLiteral("Data/"));
    QDir().mkpath(data);
    const QDir shipped(QStringLiteral(QUOTALY_RUNTIME_DIR "/Data"));
    for (const QString &name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), data + name);
    TDM dm(data);
    dm.LoadDataSets();
    dm.Clients->appendRecord({QStringLiteral("Acme & Co")});
    return data;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        std::printf("skipped: LibreOffice (soffice) is not installed\n");
        return 0;
    }
    QTemporaryDir dir;
    const QString data = dataFolder(dir);
    const QString log = QStringLiteral(QUOTALY_SOURCE_DIR "/tests/data/trados/single_file.log");
    const QString cli = QStringLiteral(QUOTALY_CLI_PATH);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    bool ok = true;

    const QString anchorProfile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("anchor-profile"))).toString();
    const QStringList convert{QStringLiteral("-env:UserInstallation=") + anchorProfile,
                              QStringLiteral("--headless"),
                              QStringLiteral("--convert-to"),
                              QStringLiteral("pdf"),
                              QStringLiteral("--outdir"),
                              dir.filePath(QStringLiteral("anchor")),
                              data + QStringLiteral("English.rtf")};
    ok = run(soffice, convert, env) && ok; // builds the anchor's profile
    const double anchor = medianMs(3, [&] { ok = run(soffice, convert, env) && ok; });
    std::printf("anchor: soffice --headless --convert-to pdf English.rtf, kept profile: median %8.1f ms\n", anchor);

    const QStringList invoice{
        QStringLiteral("invoice"), log,  QStringLiteral("--client"), QStringLiteral("Acme & Co"),
        QStringLiteral("--data"),  data, QStringLiteral("--out"),    dir.filePath(QStringLiteral("x.pdf"))};
    const double first = medianMs(1, [&] { ok = run(cli, invoice, env) && ok; });
    std::printf("quotaly-cli invoice LOG --out x.pdf, first run (builds the kept profile): %8.1f ms\n", first);
    const double kept = medianMs(3, [&] { ok = run(cli, invoice, env) && ok; });
    std::printf("quotaly-cli invoice LOG --out x.pdf, kept profile:         median %8.1f ms  (%.2fx the anchor)\n",
                kept, kept / anchor);
    {
        const office::KeptOfficeProfile held(dir.filePath(QStringLiteral("cache/quotaly/office-profile")));
        const double temporary = medianMs(3, [&] { ok = run(cli, invoice, env) && ok; });
        std::printf("quotaly-cli invoice LOG --out x.pdf, temporary profile:    median %8.1f ms  (%.2fx the anchor)\n",
                    temporary, temporary / anchor);
    }

    QByteArray jobs("client,log,invoice-no,out\n");
    for (int i = 1; i <= 10; ++i)
        jobs += "Acme & Co," + QFile::encodeName(log) + ",B-" + QByteArray::number(i) + ",batch" +
                QByteArray::number(i) + ".pdf\n";
    QFile file(dir.filePath(QStringLiteral("jobs.csv")));
    ok = file.open(QIODevice::WriteOnly) && file.write(jobs) == jobs.size() && ok;
    file.close();
    const double batch = medianMs(3, [&] {
        ok =
            run(cli,
                {QStringLiteral("invoice"), QStringLiteral("--batch"), file.fileName(), QStringLiteral("--data"), data},
                env) &&
            ok;
    });
    std::printf("quotaly-cli invoice --batch, 10 invoices, kept profile:   median %8.1f ms  (%.2fx one invoice)\n",
                batch, batch / kept);
    if (!ok)
        std::printf("(a run failed; its figure is not meaningful)\n");
    return ok ? 0 : 1;
}
