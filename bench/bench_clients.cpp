// A client list of 100,000 rows: the duplicate check (display texts, the list's sort, the walk), splitting an
// import file of 100,000 lines, and importing 100,000 rows into the data module's client list, each client
// with its default match settings and options, then deleting the duplicates found. Prints the median of several
// runs.
#include "BenchClients.h"
#include "MedianTimer.h"
#include "app/TDM.h"
#include "clients/ClientImportParser.h"
#include "clients/ClientImporter.h"
#include "clients/ClientList.h"

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;
constexpr int kImportRuns = 3;


void benchDuplicateCheck(Dataset &clients)
{
    const RowCollator collator;
    QList<QStringList> texts;
    QList<int> order;
    int duplicates = 0;
    const double display = medianMs(kRuns, [&] { texts = clientDisplayRows(clients); });
    const double sort = medianMs(kRuns, [&] { order = collator.sortedOrder(texts, clientListSortKeys()); });
    const double walk = medianMs(kRuns, [&] {
        QList<QStringList> sorted;
        sorted.reserve(order.size());
        for (int i : std::as_const(order))
            sorted << texts.at(i);
        duplicates = int(findDuplicateRows(sorted).size());
    });
    std::printf("duplicate check of %d clients: display texts %.1f ms, sort %.1f ms, walk %.1f ms, "
                "together %.1f ms (%d duplicates)\n",
                kRows, display, sort, walk, display + sort + walk, duplicates);

    // Deleting changes the list, so this runs once.
    QList<QStringList> sorted;
    for (int i : std::as_const(order))
        sorted << texts.at(i);
    QList<int> rows;
    for (int position : findDuplicateRows(sorted))
        rows << order.at(position);
    QElapsedTimer timer;
    timer.start();
    const int deleted = deleteClientRows(clients, rows);
    std::printf("delete the %d duplicates: %.1f ms\n", deleted, double(timer.nsecsElapsed()) / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dataDir = dir.filePath(QStringLiteral("Data/"));
    QDir().mkpath(dataDir);
    const QList<QStringList> rows = bench::clientRows(kRows);
    const QString file = dir.filePath(QStringLiteral("clients.csv"));
    bench::writeImportFile(file, rows);
    QStringList lines;
    const double read = medianMs(kRuns, [&] { lines = readImportFileLines(file); });
    const double parse = medianMs(kRuns, [&] {
        if (parseClientImport(lines).rows.size() != kRows)
            qFatal("lost lines");
    });
    std::printf("import file of %d lines: read %.1f ms, split %.1f ms\n", kRows, read, parse);

    bench::writeEmptyDataFiles(dataDir);
    std::unique_ptr<TDM> kept;
    const double import = medianMs(kImportRuns, [&] {
        auto dm = std::make_unique<TDM>(dataDir);
        dm->saveOnExit = false;
        dm->LoadDataSets();
        const ClientImportResult result = importClients(*dm->Clients, rows);
        if (result.imported != kRows || dm->MatchesByClient->isEmpty() || dm->OptionsByClient->isEmpty())
            qFatal("import failed: %d clients", result.imported);
        kept = std::move(dm);
    });
    std::printf("import %d clients with their default rows: median %.1f ms\n", kRows, import);

    benchDuplicateCheck(*kept->Clients);
    return 0;
}
