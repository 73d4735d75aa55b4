// Exports a client list of 100,000 rows and eleven columns to each file format, as the client list's
// "Export ..." button does (the worksheet only up to its 16,383 rows below the captions). Prints the median
// of several runs and the size of the result.
#include "MedianTimer.h"
#include "clients/Biff4Writer.h"
#include "clients/ExportFile.h"

#include <cstdio>

#include <QCoreApplication>

using namespace quotaly;

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;

ExportTable clientTable(int rows)
{
    ExportTable t;
    t.title = QStringLiteral("Clients");
    t.captions = {QStringLiteral("FULLNAME"),     QStringLiteral("VATNo"),        QStringLiteral("AddressLine1"),
                  QStringLiteral("AddressLine2"), QStringLiteral("AddressLine3"), QStringLiteral("Tel"),
                  QStringLiteral("Fax"),          QStringLiteral("EMail"),        QStringLiteral("www"),
                  QStringLiteral("Additional1"),  QStringLiteral("Additional2")};
    t.numeric = QList<bool>(t.captions.size(), false);
    t.lines.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        t.addRow({QStringLiteral("Client %1 Übersetzungen GmbH").arg(i, 6, 10, QChar(u'0')),
                  QStringLiteral("DE%1").arg(100000000 + i), QStringLiteral("Hauptstraße %1").arg(i % 300),
                  QStringLiteral("D-10%1 Berlin").arg(i % 1000, 3, 10, QChar(u'0')), QStringLiteral("Germany"),
                  QStringLiteral("+49 30 %1").arg(i), QString(), QStringLiteral("office%1@client.example").arg(i),
                  QStringLiteral("https://client%1.example").arg(i),
                  QStringLiteral("Payment within 30 days, \"net\" & <cash>"), QString()});
    }
    return t;
}

void time(const char *name, const ExportTable &table, ExportFormat format)
{
    qsizetype size = 0;
    const double ms = medianMs(kRuns, [&] { size = exportBytes(table, format).size(); });
    std::printf("%-6s %6lld rows: median %7.1f ms, %.1f MB\n", name, static_cast<long long>(table.lines.size()), ms,
                double(size) / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const ExportTable clients = clientTable(kRows);
    const ExportTable worksheet = clientTable(kBiff4MaxRows - 1);
    time("CSV", clients, ExportFormat::Csv);
    time("TAB", clients, ExportFormat::Tab);
    time("HTML", clients, ExportFormat::Html);
    time("Excel", worksheet, ExportFormat::Excel);
    return 0;
}
