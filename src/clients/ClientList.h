#pragma once

#include "dataset/RowCollator.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly {

class Dataset;

/// The eleven `Clients` fields in the client list's column order, `FULLNAME` first, `Additional2` last.
QStringList clientListFields();

/// The display texts of the eleven list fields of every client, one row per client in dataset order.
/// Throws Error when the dataset lacks one of the fields.
QList<QStringList> clientDisplayRows(const Dataset &clients);

/// The client list's initial sort: every column ascending, in column order.
QList<SortKey> clientListSortKeys();

/// Positions (in the given order) of the rows whose eleven texts equal those of the row before exactly: case
/// and blanks count. The texts before the first row are eleven empty texts, so a first row whose eleven texts
/// are all empty counts as a duplicate too. Sorted rows therefore yield k - 1 positions for a run of k
/// identical clients, the first of each run being kept.
QList<int> findDuplicateRows(const QList<QStringList> &rowsInDisplayOrder);

/// Deletes the given rows of `clients` (positions in any order; repeats and positions outside the dataset are
/// ignored). A row whose deletion fails is skipped. Returns the number of rows deleted. Only `clients` is
/// touched: the per-client rows of other datasets stay.
int deleteClientRows(Dataset &clients, QList<int> rows);

/// True when a row other than the one being edited or inserted holds exactly `value` in the field (compared
/// as the stored text: case and blanks count). Throws Error when the dataset lacks the field.
bool valueTakenByOtherRow(const Dataset &dataset, const QString &fieldName, const QString &value);

/// The message shown when a client is given the name of another client.
QString clientNameTakenMessage(const QString &name);
/// The question asked before the export replaces an existing file.
QString replaceFileQuestion(const QString &fileName);
/// The question asked before an Excel 4.0 export that would not keep `count` values.
QString excelUnkeptValuesQuestion(int count);

/// "Operation completed successfully." and "Duplicate entries are not found" on two lines.
QString noDuplicatesMessage();
/// The question asked when the duplicate check marked `count` rows.
QString duplicatesQuestion(int count);
/// The question asked before deleting `count` selected rows.
QString deleteRowsQuestion(int count);
/// The question asked before emptying the list.
QString clearAllQuestion();
/// The question asked when the list window is closed with Esc.
QString closeWindowQuestion();

} // namespace quotaly
