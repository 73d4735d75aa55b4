// Exports a seven-column report of 10 and 1,000 rows into a new workbook of a headless LibreOffice, as the
// report's "Export to spreadsheet" does, in blocks of cells through the office bridge. Prints the time to start the
// office and the median of several exports. Without LibreOffice it says so and exits.
#include "MedianTimer.h"
#include "office/OfficeSuite.h"
#include "office/OfficeTypes.h"
#include "reports/TdsExcelExport.h"

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

ReportGridContent report(int rows)
{
    ReportGridContent grid;
    grid.titles = {QStringLiteral("Match types"), QStringLiteral("Percent"), QStringLiteral("Discount (% of base rate)"),
                   QStringLiteral("Words"),       QStringLiteral("Rate"),    QStringLiteral("Currency"),
                   QStringLiteral("Amount")};
    for (int i = 0; i < rows; ++i) {
        grid.records << QVariantList{QStringLiteral("Fuzzy match %1").arg(i), 75.0 + i % 25, 60.0, 100.0 + i, 0.0216,
                                     QStringLiteral("EUR"), (100.0 + i) * 0.0216};
    }
    grid.footers << QStringList{QStringLiteral("Total :"), {}, {}, QStringLiteral("1234.00"), {}, QStringLiteral("EUR"),
                                QStringLiteral("26.65")};
    return grid;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir profile;
    office::OfficeOptions options;
    options.headless = true;
    options.profileDir = profile.path();
    const std::unique_ptr<office::OfficeSuite> suite = office::createOfficeSuite(options);
    const std::unique_ptr<office::Spreadsheet> spreadsheet = suite->spreadsheet();

    QElapsedTimer start;
    start.start();
    try {
        spreadsheet->connect();
    } catch (const std::exception &e) {
        std::printf("skipped: %s\n", qPrintable(office::failureText(e)));
        return 0;
    }
    std::printf("start headless office (new profile): %7.1f ms\n", double(start.nsecsElapsed()) / 1e6);

    for (const auto &[rows, runs] : {std::pair{10, 5}, std::pair{1000, 3}}) {
        const ReportGridContent grid = report(rows);
        TdsExcelExport exporter(*spreadsheet, QLocale::c());
        bool ok = true;
        const double ms = medianMs(runs, [&] {
            ok = ok && exporter
                           .ExportGrid(grid, {}, QStringLiteral("1250"), QStringLiteral("Statistics (Total) : "),
                                       QStringLiteral("Words"), QStringLiteral("Units : "), QStringLiteral("0.12"),
                                       QStringLiteral("Base rate : "), true)
                           .status == office::Outcome::Status::Done;
        });
        std::printf("export 7 columns x %5d rows into a new workbook: median %8.1f ms%s\n", rows, ms,
                    ok ? "" : " (an export failed)");
    }
    return 0;
}
