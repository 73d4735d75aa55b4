#include "ClientImporter.h"

#include "ClientImportParser.h"
#include "ClientList.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include <QElapsedTimer>
#include <QScopeGuard>

namespace quotaly {

namespace {

constexpr qint64 kProgressIntervalMs = 50;

} // namespace

QString clientImportCounts(int imported, int refused)
{
    return QStringLiteral("%1 %2 added, %3 %4 refused.")
        .arg(imported)
        .arg(imported == 1 ? QStringLiteral("client") : QStringLiteral("clients"))
        .arg(refused)
        .arg(refused == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
}

QString clientImportSummary(int imported, const QStringList &errorLines)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString counts = clientImportCounts(imported, int(errorLines.size()));
    if (errorLines.isEmpty())
        return QStringLiteral("Operation completed successfully.") + crlf + counts;
    return QStringLiteral("Some errors where found !    \r\n") + errorLines.join(QString()) + crlf + crlf +
           QStringLiteral("Field \"Full Name\" must have value or") + crlf +
           QStringLiteral("you try store duplicate values.") + crlf + QStringLiteral("See help for details.") + crlf +
           crlf + counts;
}

namespace {

// The fields the eleven values of a row go to; throws Error when the clients cannot take rows.
QList<int> importColumns(const Dataset &clients)
{
    if (!clients.isActive())
        throw Error(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(clients.name()));
    QList<int> columns;
    for (const QString &name : clientListFields())
        columns << clients.requireField(name);
    return columns;
}

void importRow(Dataset &clients, const QList<int> &columns, const QStringList &row, ClientImportResult &result)
{
    try {
        clients.append();
        for (int c = 0; c < columns.size(); ++c)
            clients.setValue(columns.at(c), row.value(c));
        clients.post();
        ++result.imported;
    } catch (const Error &e) {
        clients.cancel();
        result.errorLines << QStringLiteral("Error - ") + e.text() + u' ' + row.value(0) + QStringLiteral("\r\n");
    }
}

constexpr qsizetype kRecordsPerBatch = 2048;

} // namespace

ClientImportResult importClients(Dataset &clients, const QList<QStringList> &rows,
                                 const std::function<void(int done, int total)> &progress)
{
    const QList<int> columns = importColumns(clients);
    clients.expectRows(rows.size()); // each new client also gets its rows in the per-client details
    ClientImportResult result;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    const int total = int(rows.size());
    for (int i = 0; i < total; ++i) {
        importRow(clients, columns, rows.at(i), result);
        if (progress && sinceProgress.elapsed() >= kProgressIntervalMs) {
            progress(i + 1, total);
            sinceProgress.restart();
        }
    }
    result.summary = clientImportSummary(result.imported, result.errorLines);
    return result;
}

ClientImportResult importClients(Dataset &clients, ClientImportSplitter &splitter, qsizetype expectedRecords)
{
    const QList<int> columns = importColumns(clients);
    clients.expectRows(expectedRecords);

    // The splitting thread hands over batches of rows; this one stores them as they come.
    struct Handover
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<QList<QStringList>> batches;
        bool finished = false; // no more batches will come
        bool stop = false;     // the storing has ended early: split no further
        std::exception_ptr failure;
    } handover;
    std::thread splitting([&] {
        try {
            while (!splitter.atEnd()) {
                ClientImportText batch;
                batch.rows.reserve(kRecordsPerBatch);
                splitter.read(kRecordsPerBatch, batch);
                const std::lock_guard lock(handover.mutex);
                if (handover.stop)
                    break;
                handover.batches.push_back(std::move(batch.rows));
                handover.changed.notify_one();
            }
        } catch (...) {
            const std::lock_guard lock(handover.mutex);
            handover.failure = std::current_exception();
        }
        const std::lock_guard lock(handover.mutex);
        handover.finished = true;
        handover.changed.notify_one();
    });
    // Whatever ends the storing, the splitting thread is stopped and waited for before anything goes.
    const auto joinSplitting = qScopeGuard([&] {
        {
            const std::lock_guard lock(handover.mutex);
            handover.stop = true;
        }
        splitting.join();
    });

    ClientImportResult result;
    while (true) {
        QList<QStringList> rows;
        {
            std::unique_lock lock(handover.mutex);
            handover.changed.wait(lock, [&] { return !handover.batches.empty() || handover.finished; });
            if (handover.batches.empty()) {
                if (handover.failure)
                    std::rethrow_exception(handover.failure);
                break;
            }
            rows = std::move(handover.batches.front());
            handover.batches.pop_front();
        }
        for (const QStringList &row : std::as_const(rows))
            importRow(clients, columns, row, result);
    }
    result.summary = clientImportSummary(result.imported, result.errorLines);
    return result;
}

} // namespace quotaly
