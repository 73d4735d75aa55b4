#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly {

class ClientImportSplitter;
class Dataset;

/// What an import of client rows did.
struct ClientImportResult
{
    int imported = 0;       ///< rows stored as new clients
    QStringList errorLines; ///< one "Error - <text> <name>\r\n" per refused row
    QString summary;        ///< the message shown when the import is over
};

/// Appends every row to `clients` as a new client through the dataset's insert and post steps, so each one
/// gets the new-client defaults of the data module. Each row holds eleven texts in the order of the client
/// list's fields, `FULLNAME` first. A row the dataset refuses is discarded and reported, and the import goes
/// on. `progress` (rows done, rows in all) is called about every 50 ms while the import runs.
/// Throws Error before anything is imported when `clients` is closed or lacks one of the fields.
ClientImportResult importClients(Dataset &clients, const QList<QStringList> &rows,
                                 const std::function<void(int done, int total)> &progress = {});

/// Imports the records of a client list file as importClients() imports its rows, splitting the file on a second
/// thread while the rows already split are stored: the same clients, the same result, about the time of the
/// storing alone. `expectedRecords` (the file's line count will do) sizes the storage up front.
ClientImportResult importClients(Dataset &clients, ClientImportSplitter &splitter, qsizetype expectedRecords);

/// "2 clients added, 1 row refused."
QString clientImportCounts(int imported, int refused);

/// The summary of an import that added `imported` clients and reported the given error lines (no lines:
/// success); it ends with the counts of added clients and refused rows.
QString clientImportSummary(int imported, const QStringList &errorLines);

} // namespace quotaly
