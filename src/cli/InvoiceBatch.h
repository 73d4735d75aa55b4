#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly::cli {

/// The column names a batch file of invoices may use, in the order the help lists them. Each stands for the
/// invoice command's option of the same name ("invoice-no" for --invoice-no); "log" is the analysis log.
QStringList invoiceBatchColumns();

/// One invoice line of a batch file: where it starts in the file, and the invoice command's arguments its cells
/// stand for (empty cells give none). Paths of logs and output files are made absolute against baseDir.
struct InvoiceBatchLine
{
    int lineNumber = 0;
    QStringList arguments;
    QString problem; ///< why the line cannot be read as an invoice; empty when it can
};

/// Reads a batch file: comma-separated values with quotes as spreadsheets write them (a quoted cell may hold
/// commas, quotes written twice and line breaks), UTF-8 or Windows-1252, a first line naming the columns in any
/// order. Blank lines are skipped. Throws Error when the file cannot be read or its first line is not a header
/// of known columns; a line that is wrong on its own comes back with its problem.
QList<InvoiceBatchLine> readInvoiceBatch(const QString &file);

} // namespace quotaly::cli
