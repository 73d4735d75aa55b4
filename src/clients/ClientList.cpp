#include "ClientList.h"

#include "dataset/Dataset.h"
#include "dataset/Error.h"

#include <algorithm>
#include <array>

#include <QDir>

namespace quotaly {

namespace {

constexpr std::array<const char *, 11> kListFields{"FULLNAME",     "VATNo",       "AddressLine1", "AddressLine2",
                                                   "AddressLine3", "Tel",         "Fax",          "EMail",
                                                   "www",          "Additional1", "Additional2"};

} // namespace

QStringList clientListFields()
{
    QStringList fields;
    fields.reserve(qsizetype(kListFields.size()));
    for (const char *name : kListFields)
        fields << QString::fromLatin1(name);
    return fields;
}

QList<QStringList> clientDisplayRows(const Dataset &clients)
{
    const QStringList names = clientListFields();
    QList<int> columns;
    for (const QString &name : names)
        columns << clients.requireField(name);

    const int count = clients.recordCount();
    QList<QStringList> rows;
    rows.reserve(count);
    for (int row = 0; row < count; ++row) {
        QStringList texts;
        texts.reserve(columns.size());
        for (int column : std::as_const(columns))
            texts << clients.displayText(row, column);
        rows << texts;
    }
    return rows;
}

QList<SortKey> clientListSortKeys()
{
    QList<SortKey> keys;
    for (int column = 0; column < int(kListFields.size()); ++column)
        keys << SortKey{column, true};
    return keys;
}

QList<int> findDuplicateRows(const QList<QStringList> &rowsInDisplayOrder)
{
    constexpr int columns = int(kListFields.size());
    static const QStringList beforeFirst; // reads as eleven empty texts
    QList<int> duplicates;
    const QStringList *previous = &beforeFirst;
    for (int i = 0; i < rowsInDisplayOrder.size(); ++i) {
        const QStringList &row = rowsInDisplayOrder.at(i);
        bool same = true;
        for (int c = 0; c < columns && same; ++c)
            same = row.value(c) == previous->value(c);
        if (same)
            duplicates << i;
        previous = &row;
    }
    return duplicates;
}

int deleteClientRows(Dataset &clients, QList<int> rows)
{
    // From the last row to the first, so that the positions still to delete do not move.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    int deleted = 0;
    for (int row : std::as_const(rows)) {
        if (row < 0 || row >= clients.recordCount())
            continue;
        try {
            clients.setRecNo(row);
            clients.deleteRecord();
            ++deleted;
        } catch (const Error &) {
            // A row that cannot be deleted stays; the others are still deleted.
        }
    }
    return deleted;
}

bool valueTakenByOtherRow(const Dataset &dataset, const QString &fieldName, const QString &value)
{
    const int field = dataset.requireField(fieldName);
    const int own = dataset.isEditing() ? dataset.recNo() : -1;
    for (int row = 0; row < dataset.recordCount(); ++row) {
        if (row != own && dataset.valueAt(row, field).toString() == value)
            return true;
    }
    return false;
}

QString clientNameTakenMessage(const QString &name)
{
    return QStringLiteral("There is already a client named \"%1\".\r\n"
                          "Each client keeps its own prices under its name: please choose another name.")
        .arg(name);
}

QString replaceFileQuestion(const QString &fileName)
{
    return QStringLiteral("%1 already exists.\r\nDo you want to replace it?").arg(QDir::toNativeSeparators(fileName));
}

QString excelUnkeptValuesQuestion(int count)
{
    const QString values = count == 1 ? QStringLiteral("1 value holds") : QStringLiteral("%1 values hold").arg(count);
    return values + QStringLiteral(" characters that an Excel 4.0 worksheet cannot hold; they would be written as "
                                   "\"?\".\r\nTo keep them, export as a comma separated file or as HTML.\r\n\r\n"
                                   "Write the Excel file anyway?");
}

QString noDuplicatesMessage()
{
    return QStringLiteral("Operation completed successfully.\r\nDuplicate entries are not found");
}

QString duplicatesQuestion(int count)
{
    return QString::number(count) +
           QStringLiteral(" duplicate entries are found.\r\nThey are now highlighted. Delete them?");
}

QString deleteRowsQuestion(int count)
{
    return QString::number(count) + QStringLiteral(" entries will be deleted. Proceed?");
}

QString clearAllQuestion()
{
    return QStringLiteral("All entries will be deleted. Proceed?");
}

QString closeWindowQuestion()
{
    return QStringLiteral("Close window ?");
}

} // namespace quotaly
