// The data grid over a client list: sorting 100,000 clients by all eleven columns and reading the order back,
// with the collation keys still to be made and once they are kept; then filtering, searching and grouping
// 10,000 clients. Runs on the offscreen platform with the grid shown; prints the median of several runs.
#include "BenchClients.h"
#include "MedianTimer.h"
#include "dataset/Dataset.h"
#include "ui/DataGrid.h"

#include <cstdio>
#include <memory>

#include <sys/resource.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

using namespace quotaly;
using namespace quotaly::ui;

namespace {

constexpr int kRows = 100000;
constexpr int kSmallRows = 10000;
constexpr int kRuns = 5;

const QStringList kFields{
    QStringLiteral("FULLNAME"),     QStringLiteral("VATNo"),        QStringLiteral("AddressLine1"),
    QStringLiteral("AddressLine2"), QStringLiteral("AddressLine3"), QStringLiteral("Tel"),
    QStringLiteral("Fax"),          QStringLiteral("EMail"),        QStringLiteral("www"),
    QStringLiteral("Additional1"),  QStringLiteral("Additional2")};

RowValues client(int i, int rows)
{
    RowValues values;
    for (const QString &text : bench::clientTexts(i, rows))
        values << text;
    return values;
}

void fill(Dataset &clients, int rows)
{
    QList<FieldDef> fields;
    for (const QString &name : kFields)
        fields << FieldDef::text(name, name == QStringLiteral("FULLNAME") ? 60 : 100);
    clients.setFields(fields);
    clients.createDataSet();
    clients.disableControls();
    for (int i = 0; i < rows; ++i)
        clients.appendRecord(client(i, rows));
    clients.enableControls();
    clients.first();
}

std::unique_ptr<DataGrid> shownGrid(Dataset &clients)
{
    auto grid = std::make_unique<DataGrid>();
    grid->setDataset(&clients);
    grid->setReadOnly(true);
    grid->setRowSelect(true);
    grid->setFooterCount(QStringLiteral("FULLNAME"), QStringLiteral("0 Clients"));
    grid->resize(720, 327);
    grid->show();
    QApplication::processEvents();
    return grid;
}

DataGrid::SortFields allColumns(Qt::SortOrder order)
{
    DataGrid::SortFields sort;
    for (const QString &name : kFields)
        sort.append({name, order});
    return sort;
}

void benchSort()
{
    Dataset clients(QStringLiteral("Clients"));
    fill(clients, kRows);
    QList<int> rows;
    // Each run on a new grid, so that every collation key is still to be made.
    std::vector<std::unique_ptr<DataGrid>> grids;
    for (int i = 0; i < kRuns; ++i)
        grids.push_back(shownGrid(clients));
    int run = 0;
    const double cold = medianMs(kRuns, [&] {
        DataGrid &grid = *grids.at(size_t(run++));
        grid.setSortOrder(allColumns(Qt::AscendingOrder));
        rows = grid.displayedDatasetRows();
    });
    if (rows.size() != kRows)
        qFatal("lost rows");
    DataGrid &grid = *grids.front();
    Qt::SortOrder order = Qt::AscendingOrder;
    const double warm = medianMs(kRuns, [&] {
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        grid.setSortOrder(allColumns(order));
        rows = grid.displayedDatasetRows();
    });
    const double read = medianMs(kRuns, [&] { rows = grid.displayedDatasetRows(); });
    std::printf("sort %d clients by 11 columns and read the order: %.1f ms with new keys, %.1f ms re-sorting "
                "(reading the order alone %.1f ms)\n",
                kRows, cold, warm, read);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory with %d grids sorted over the %d clients: %.0f MB\n", kRuns, kRows,
                double(usage.ru_maxrss) / 1024.0);

    const double append = medianMs(kRuns, [&] { clients.appendRecord(client(kRows / 2, kRows)); });
    std::printf("append one client to the sorted %d: %.2f ms\n", kRows, append);
}

void benchSmall()
{
    Dataset clients(QStringLiteral("Clients"));
    fill(clients, kSmallRows);
    const std::unique_ptr<DataGrid> grid = shownGrid(clients);
    grid->setSortOrder(allColumns(Qt::AscendingOrder));
    const double filter = medianMs(kRuns, [&] {
        grid->setColumnFilter(QStringLiteral("AddressLine2"), QStringLiteral("10004 b"), false);
        if (grid->displayRowCount() != kSmallRows / 1000)
            qFatal("filter lost rows");
        grid->clearColumnFilters();
    });
    std::printf("filter %d sorted clients by a contains-text and clear it: %.1f ms\n", kSmallRows, filter);

    // Grouping by a column with 1,000 different texts, and by two columns; then all headings collapsed.
    const double group = medianMs(kRuns, [&] {
        grid->setGroupFields({QStringLiteral("AddressLine2")});
        grid->setGroupFields({});
    });
    const double group2 = medianMs(kRuns, [&] {
        grid->setGroupFields({QStringLiteral("AddressLine3"), QStringLiteral("AddressLine1")});
        grid->setGroupFields({});
    });
    grid->setGroupFields({QStringLiteral("AddressLine2")});
    const double collapse = medianMs(kRuns, [&] {
        grid->setGroupsExpanded(false);
        grid->setGroupsExpanded(true);
    });
    const double edit = medianMs(kRuns, [&] {
        clients.setRecNo(kSmallRows / 2);
        clients.edit();
        clients.setValue(QStringLiteral("AddressLine2"), QStringLiteral("D-10999 Berlin"));
        clients.post();
    });
    grid->setGroupFields({});
    std::printf("group %d sorted clients by a column (1,000 groups) and ungroup: %.1f ms; by two columns: %.1f ms; "
                "collapse and expand all: %.1f ms; edit a grouped text: %.1f ms\n",
                kSmallRows, group, group2, collapse, edit);

    // Typing the last client's number: each key searches the rows from the top.
    grid->setIncrementalSearchEnabled(true);
    const QString typed = QStringLiteral("client 009");
    const double search = medianMs(kRuns, [&] {
        for (const QChar ch : typed) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key(ch.toUpper().unicode()), Qt::NoModifier, QString(ch));
            QApplication::sendEvent(grid->view(), &key);
        }
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(grid->view(), &escape);
    });
    std::printf("incremental search in %d clients, %lld keys: %.1f ms (%.2f ms a key)\n", kSmallRows,
                qint64(typed.size()), search, search / double(typed.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Client names with umlauts, sorted the way a German user expects.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    benchSort();
    benchSmall();
    return 0;
}
