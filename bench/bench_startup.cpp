// Starting the program on a data folder with 100,000 clients: the main window made, shown (offscreen) and its
// start-up sequence run (every data file read, the client list ready to choose from) until the event loop is
// idle. Beside it, the command line's whole runs on the same data: importing 100,000 lines with --save, and the
// duplicate check, with their anchors where they can run here (Python's csv module reading the import file,
// xmllint reading Clients.xml). Prints medians.
// Run: build/bench/bench_startup [rows] [runs]
#include "BenchClients.h"
#include "MedianTimer.h"
#include "app/AppPaths.h"
#include "app/Forms.h"
#include "app/TDM.h"
#include "app/TfQuotaly.h"

#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

using namespace quotaly;

namespace {

// The main window's start, from the first window made until the start-up sequence is over and the event loop has
// nothing left to do.
double coldStart(const QString &data)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<Forms> forms = Forms::create(data);
    forms->DM->saveOnExit = false;
    forms->fQuotaly->show();
    // The start-up sequence is queued by the first show and reads OptionsByClient last; once the last one is
    // open, the next turn of the event loop comes after the sequence.
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
        if (forms->DM->OptionsByClient->isActive()) {
            poll.stop();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    });
    poll.start();
    QApplication::exec();
    QCoreApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (forms->DM->Clients->recordCount() == 0)
        bench::fail(QStringLiteral("the client list did not load"));
    forms->fQuotaly->hide();
    forms.reset();
    return ms;
}

// A whole process; -1 when the program cannot be started.
double processMs(const QString &program, const QStringList &args, QByteArray *output = nullptr)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    if (output)
        *output = process.readAllStandardOutput();
    return double(timer.nsecsElapsed()) / 1e6;
}

double medianProcessMs(int runs, const std::function<void()> &prepare, const QString &program,
                       const QStringList &args)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const double ms = processMs(program, args);
        if (ms < 0)
            return -1;
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void printAnchor(const char *what, double ms)
{
    if (ms < 0)
        std::printf("  anchor %s: cannot run here\n", what);
    else
        std::printf("  anchor %s: %.0f ms\n", what, ms);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    // The program's settings go to the temporary folder; a subscribed user sees no newsletter window.
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    QSettings(QStringLiteral("Morvane Software"), QStringLiteral("Quotaly")).setValue(QStringLiteral("rv"), 1);
    const int rowCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;

    const QString data = work.filePath(QStringLiteral("Data/"));
    copyTree(QStringLiteral(QUOTALY_RUNTIME_DIR "/Data"), data);
    copyTree(QStringLiteral(QUOTALY_RUNTIME_DIR "/Lang"), work.filePath(QStringLiteral("Lang")));
    const QList<QStringList> rows = bench::clientRows(rowCount);
    bench::writeClientDataFolder(data, rows);
    const QString importFile = work.filePath(QStringLiteral("clients.csv"));
    bench::writeImportFile(importFile, rows);
    std::printf("Data folder with %d clients (Clients.xml %.1f MB), median of %d runs\n", rowCount,
                double(QFileInfo(data + QStringLiteral("Clients.xml")).size()) / (1024.0 * 1024.0), runs);

    const double start = medianMs(runs, [&] { coldStart(data); });
    std::printf("main window shown and idle, data loaded (aim <= 1500 ms): %.0f ms\n", start);

    const QString cli = QStringLiteral(QUOTALY_CLI);
    const QString emptyData = work.filePath(QStringLiteral("Empty/"));
    const double import = medianProcessMs(
        runs, [&] { bench::writeEmptyDataFiles(emptyData); }, cli,
        {QStringLiteral("clients"), QStringLiteral("import"), importFile, QStringLiteral("--save"),
         QStringLiteral("--data"), emptyData});
    std::printf("quotaly-cli clients import of %d lines --save, whole process (aim <= 1000 ms): %.0f ms\n", rowCount,
                import);
    printAnchor("Python csv reading the same file",
                medianProcessMs(runs, {}, QStringLiteral("python3"),
                                {QStringLiteral("-c"),
                                 QStringLiteral("import csv,sys\nwith open(sys.argv[1], newline='', encoding='utf-8') "
                                                "as f: sum(1 for _ in csv.reader(f, delimiter=';'))"),
                                 importFile}));

    const double duplicates = medianProcessMs(
        runs, {}, cli, {QStringLiteral("clients"), QStringLiteral("duplicates"), QStringLiteral("--data"), data});
    std::printf("quotaly-cli clients duplicates, whole process (aim <= 1500 ms): %.0f ms\n", duplicates);
    printAnchor("xmllint --noout Clients.xml",
                medianProcessMs(runs, {}, QStringLiteral("xmllint"),
                                {QStringLiteral("--noout"), data + QStringLiteral("Clients.xml")}));
    return 0;
}
