#include "ClientImporter.h"

#include "ClientList.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"

#include <QElapsedTimer>

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

ClientImportResult importClients(Dataset &clients, const QList<QStringList> &rows,
                                 const std::function<void(int done, int total)> &progress)
{
    if (!clients.isActive())
        throw Error(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(clients.name()));
    QList<int> columns;
    for (const QString &name : clientListFields())
        columns << clients.requireField(name);

    clients.expectRows(rows.size()); // each new client also gets its rows in the per-client details
    ClientImportResult result;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    const int total = int(rows.size());
    for (int i = 0; i < total; ++i) {
        const QStringList &row = rows.at(i);
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
        if (progress && sinceProgress.elapsed() >= kProgressIntervalMs) {
            progress(i + 1, total);
            sinceProgress.restart();
        }
    }
    result.summary = clientImportSummary(result.imported, result.errorLines);
    return result;
}

} // namespace quotaly
