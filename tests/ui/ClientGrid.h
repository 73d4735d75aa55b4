#pragma once

// A client list in a data grid, as the client list window shows it, for the grid's tests.
#include "dataset/Dataset.h"
#include "dataset/RowCollator.h"
#include "ui/DataGrid.h"

#include <QHeaderView>
#include <QTableView>
#include <QTest>

namespace quotaly::test {

inline const QStringList kFields{QStringLiteral("FULLNAME"), QStringLiteral("City"), QStringLiteral("EMail")};

// A client list as the clients window shows it: name, city and mail, a row count in the footer.
struct ClientGrid
{
    Dataset ds{QStringLiteral("Clients")};
    ui::DataGrid grid;

    explicit ClientGrid(const QList<QStringList> &rows)
    {
        ds.setFields({FieldDef::text(QStringLiteral("FULLNAME"), 60), FieldDef::text(QStringLiteral("City"), 30),
                      FieldDef::text(QStringLiteral("EMail"), 70)});
        ds.createDataSet();
        for (const QStringList &row : rows)
            ds.appendRecord({row.value(0), row.value(1), row.value(2)});
        ds.first();
        grid.setDataset(&ds);
        grid.setReadOnly(true);
        grid.setFooterCount(QStringLiteral("FULLNAME"), QStringLiteral("0 Clients"));
        grid.resize(600, 400);
        grid.show();
    }

    QStringList names(const QList<int> &rows) const
    {
        QStringList result;
        for (const int row : rows)
            result << ds.displayText(row, 0);
        return result;
    }
    QStringList shownNames() const { return names(grid.displayedDatasetRows()); }
    int rowOf(const QString &name) const
    {
        for (int r = 0; r < ds.recordCount(); ++r) {
            if (ds.displayText(r, 0) == name)
                return r;
        }
        return -1;
    }

    // Where the sort puts the dataset's rows, worked out by RowCollator on the dataset's texts.
    QList<int> expectedOrder(const ui::DataGrid::SortFields &fields) const
    {
        QList<QStringList> rows;
        for (int r = 0; r < ds.recordCount(); ++r)
            rows << QStringList{ds.displayText(r, 0), ds.displayText(r, 1), ds.displayText(r, 2)};
        QList<SortKey> keys;
        for (const auto &[field, order] : fields)
            keys << SortKey{int(kFields.indexOf(field)), order == Qt::AscendingOrder};
        return RowCollator(QLocale()).sortedOrder(rows, keys);
    }
};

inline QPoint sectionCentre(const QHeaderView *header, int logical)
{
    return {header->sectionViewportPosition(logical) + header->sectionSize(logical) / 3, header->height() / 2};
}

inline void clickHeader(ui::DataGrid &grid, int logical, Qt::KeyboardModifiers modifiers)
{
    QHeaderView *header = grid.view()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, sectionCentre(header, logical));
}

inline void clickRow(ui::DataGrid &grid, int viewRow, Qt::KeyboardModifiers modifiers = {})
{
    QTableView *view = grid.view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                      view->visualRect(view->model()->index(viewRow, 0)).center());
}

} // namespace quotaly::test
