#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

namespace quotaly {
class Dataset;
struct FieldDef;
} // namespace quotaly

namespace quotaly::ui {

/// Binds one data-aware widget to a field of a dataset: finds the field (again after every layout change,
/// since the columns come from the file), follows the dataset's signals and starts edits for the widget.
/// Errors from the dataset are shown through the dialogs seam.
class DataLink : public QObject
{
    Q_OBJECT

public:
    explicit DataLink(QObject *parent = nullptr);

    void setBinding(Dataset *dataset, const QString &fieldName);
    Dataset *dataset() const;
    const QString &fieldName() const { return m_fieldName; }
    /// Index of the bound field in the dataset, -1 when unbound or the dataset has no such column.
    int fieldIndex() const { return m_field; }
    /// The bound field, nullptr when fieldIndex() is -1.
    const FieldDef *field() const;

    /// True when the dataset is open and the field exists.
    bool isActive() const;
    bool isEditing() const;
    /// True when there is a row whose value is shown (the current row, or the row being inserted).
    bool hasRow() const;
    /// The value of the current row (the edit buffer while editing); null when there is no row.
    QVariant value() const;
    /// True when a user change could be stored: open, field writable, and a row to edit or a row can be added.
    bool canModify() const;

    /// Puts the dataset into Edit (Insert when it is empty). True when the dataset is editing afterwards.
    bool beginEdit();
    /// beginEdit() and sets the field. False when the field cannot be modified, or, with the error shown,
    /// when the dataset refuses the value.
    bool writeValue(const QVariant &value);

signals:
    /// The widget should show value() again. `rowMoved` is true when the current row, the columns or the
    /// open state changed, false when only the value or the edit state did.
    void refreshRequested(bool rowMoved);
    /// The dataset is about to post: a widget holding typed text writes it now.
    void updatingRecord();

private:
    void startEdit();
    void resolveField();
    void onLayoutReset();
    void onFieldChanged(int field);
    void onRowChanged(int row);
    void requestRefresh(bool rowMoved);

    QPointer<Dataset> m_dataset;
    QString m_fieldName;
    int m_field = -1;
    bool m_beginning = false; // inside beginEdit(): the widget keeps what the user just typed
    QList<QMetaObject::Connection> m_connections;
};

} // namespace quotaly::ui
