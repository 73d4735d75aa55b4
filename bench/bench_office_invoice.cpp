// Writes invoices with quotaly-cli through a headless LibreOffice, beside the anchor: LibreOffice itself
// converting the English invoice template to PDF with a profile kept between runs (soffice --headless
// --convert-to pdf), in the same run. Prints the medians of: the anchor; one invoice from an analysis log cold (no
// resident office: the run starts it) and warm (the resident office is there); one invoice with an office of the
// run's own (--no-resident-office), in the kept profile and in a temporary one (the profile held by another
// program); ten invoices with --batch and the resident office there. Ends the resident office before it exits and
// says whether any office of its own is left. Without LibreOffice it says so and exits.
#include "MedianTimer.h"
#include "app/TDM.h"
#include "office/KeptOfficeProfile.h"
#include "office/ResidentOffice.h"

#include <algorithm>
#include <cstdio>
#include <vector>

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
    const QStringList ownOffice = invoice + QStringList{QStringLiteral("--no-resident-office")};
    const QString residentFolder = dir.filePath(QStringLiteral("cache/quotaly/office-resident"));
    const auto endResident = [&] { office::ResidentOffice(residentFolder).end(); };

    // Cold: every run finds no office and starts the resident one (ending it between runs is not timed).
    std::vector<double> colds;
    for (int i = 0; i < 4; ++i) {
        endResident();
        colds.push_back(medianMs(1, [&] { ok = run(cli, invoice, env) && ok; }));
    }
    std::printf("quotaly-cli invoice LOG --out x.pdf, first run (builds the resident profile): %8.1f ms\n", colds[0]);
    colds.erase(colds.begin());
    std::sort(colds.begin(), colds.end());
    const double cold = colds[1];
    std::printf("quotaly-cli invoice LOG --out x.pdf, cold (starts the office): median %8.1f ms  (%.2fx the anchor)\n",
                cold, cold / anchor);
    const double warm = medianMs(5, [&] { ok = run(cli, invoice, env) && ok; });
    std::printf("quotaly-cli invoice LOG --out x.pdf, warm (resident office): median %8.1f ms  (%.2fx the anchor)\n",
                warm, warm / anchor);

    QByteArray jobs("client,log,invoice-no,out\n");
    for (int i = 1; i <= 10; ++i)
        jobs += "Acme & Co," + QFile::encodeName(log) + ",B-" + QByteArray::number(i) + ",batch" +
                QByteArray::number(i) + ".pdf\n";
    QFile file(dir.filePath(QStringLiteral("jobs.csv")));
    ok = file.open(QIODevice::WriteOnly) && file.write(jobs) == jobs.size() && ok;
    file.close();
    const QStringList batchArgs{QStringLiteral("invoice"), QStringLiteral("--batch"), file.fileName(),
                                QStringLiteral("--data"), data};
    const double batch = medianMs(3, [&] { ok = run(cli, batchArgs, env) && ok; });
    std::printf("quotaly-cli invoice --batch, 10 invoices, warm:          median %8.1f ms  (%.2fx one warm, %.2fx one "
                "cold)\n",
                batch, batch / warm, batch / cold);
    endResident();

    ok = run(cli, ownOffice, env) && ok; // builds the kept profile
    const double kept = medianMs(3, [&] { ok = run(cli, ownOffice, env) && ok; });
    std::printf("quotaly-cli invoice ... --no-resident-office, kept profile: median %8.1f ms  (%.2fx the anchor)\n",
                kept, kept / anchor);
    {
        const office::KeptOfficeProfile held(dir.filePath(QStringLiteral("cache/quotaly/office-profile")));
        const double temporary = medianMs(3, [&] { ok = run(cli, ownOffice, env) && ok; });
        std::printf("quotaly-cli invoice ... --no-resident-office, temporary profile: median %8.1f ms  (%.2fx the "
                    "anchor)\n",
                    temporary, temporary / anchor);
    }

    // Nothing of this run may be left: no resident office, no office of a run's own.
    const bool left = office::ResidentOffice(residentFolder).running();
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), dir.path()});
    pgrep.waitForFinished(10000);
    const QByteArray processes = pgrep.readAllStandardOutput().trimmed();
    std::printf("offices left running: %s\n", left || !processes.isEmpty() ? processes.constData() : "none");
    ok = ok && !left && processes.isEmpty();
    if (!ok)
        std::printf("(a run failed; its figure is not meaningful)\n");
    return ok ? 0 : 1;
}
