#pragma once

#include "Datapacket.h"
#include "Error.h"
#include "FieldDef.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

namespace quotaly {

enum class DatasetState { Inactive, Browse, Edit, Insert };

/// An in-memory table of typed fields with a current row, edit states, a change count, an optional
/// master-detail range and persistence to an XML datapacket file.
///
/// Row numbers are 0-based positions in the rows the dataset currently shows (its master's range when it is
/// a detail). In the Edit and Insert states the current row's values live in an edit buffer until post().
class Dataset : public QObject
{
    Q_OBJECT

public:
    explicit Dataset(const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    const QString &name() const { return m_name; }

    // --- Schema ---------------------------------------------------------------------------------------
    /// Declares the columns of an in-memory table (only while closed).
    void setFields(const QList<FieldDef> &fields);
    const QList<FieldDef> &fields() const { return m_packet.fields; }
    int fieldCount() const { return int(m_packet.fields.size()); }
    /// Index of the field named `name`, compared without regard to case (the first such field); -1 when there
    /// is none. A table look-up, not a search.
    int fieldIndex(const QString &name) const;
    /// A value as field `field` stores it (setValue() stores exactly this); throws Error as setValue() would.
    QVariant storedValue(int field, const QVariant &value) const { return convert(field, value); }
    /// Like fieldIndex() but throws Error "<dataset>: Field '<name>' not found".
    int requireField(const QString &name) const;
    const FieldDef &field(int index) const { return m_packet.fields.at(index); }
    /// Changes whenever the list of fields is replaced, so callers that keep field indices know to look them up
    /// again.
    quint64 fieldsVersion() const { return m_fieldsVersion; }
    /// Sets the display label, width and format of a field (kept across loads of the same column).
    void setFieldDisplay(const QString &fieldName, const QString &label, int width, const QString &format = {});
    void setDisplayFormat(const QString &fieldName, const QString &format);
    /// Makes a field required whatever the loaded file declares (kept across loads).
    void setFieldRequired(const QString &fieldName, bool required);

    // --- Files ----------------------------------------------------------------------------------------
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    const QString &fileName() const { return m_fileName; }
    /// Replaces columns and rows with the file's and opens the dataset. On failure throws Error and leaves
    /// the dataset exactly as it was.
    void loadFromFile(const QString &fileName = {});
    /// Writes every row as an XML datapacket through a temporary file and a rename. Throws Error.
    /// Saving to the dataset's own file counts as storing its changes (changeCount() becomes 0).
    void saveToFile(const QString &fileName = {});
    /// Saves each dataset to its own file as saveToFile() does, the files written side by side on several
    /// threads. A dataset that cannot be saved does not stop the others; the errors come back in the order
    /// of `datasets`, each with its dataset.
    static QList<std::pair<Dataset *, Error>> saveToFiles(const QList<Dataset *> &datasets);
    /// Replaces columns and rows with the packet's and opens the dataset.
    void loadFromPacket(const Datapacket &packet);
    void loadFromPacket(Datapacket &&packet);
    /// The dataset's columns, parameters and rows (pending edits excluded).
    Datapacket toPacket() const;

    // --- Life cycle -----------------------------------------------------------------------------------
    /// Opens an empty table with the declared columns.
    void createDataSet();
    /// Reads the file when a file name is set, else opens an empty table with the declared columns.
    void open();
    /// Posts or cancels a pending edit, writes the rows to the file when there is a file name and unsaved
    /// changes, then closes. When that write fails the dataset stays open and Error is thrown.
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    /// Throws the engine's closed-dataset error when the dataset is not open.
    void requireActive() const;
    DatasetState state() const { return m_state; }
    bool isEditing() const { return m_state == DatasetState::Edit || m_state == DatasetState::Insert; }

    /// Number of changes since the last load, save or merge.
    int changeCount() const { return m_changeCount; }
    /// Makes the pending changes the dataset's data.
    void mergeChangeLog() { m_changeCount = 0; }

    // --- Navigation -----------------------------------------------------------------------------------
    int recordCount() const { return int(view().size()); }
    bool isEmpty() const { return view().empty(); }
    /// Current row, -1 when the dataset shows no row.
    int recNo() const { return m_current; }
    /// Moves to a row (posting or cancelling a pending edit first).
    void setRecNo(int row);
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    /// Moves to the first row whose field equals value exactly (case-sensitive for text). False when none.
    bool locate(const QString &fieldName, const QVariant &value);

    // --- Values ---------------------------------------------------------------------------------------
    /// Value of the current row (the edit buffer in Edit/Insert). Null when there is no current row.
    QVariant value(int field) const;
    QVariant value(const QString &fieldName) const { return value(requireField(fieldName)); }
    QVariant valueAt(int row, int field) const;
    bool isNull(const QString &fieldName) const { return value(fieldName).isNull(); }
    QString asString(const QString &fieldName) const;
    qint64 asInteger(const QString &fieldName) const;
    double asFloat(const QString &fieldName) const;
    bool asBoolean(const QString &fieldName) const;
    /// Text of a value as shown by grids and bound controls (display format applied, locale's decimal
    /// separator).
    QString displayText(int row, int field) const;
    /// Sets a value of the row being edited; converts text to the field's type and cuts text to the
    /// field's width. Throws Error when not editing or when the value does not convert.
    void setValue(int field, const QVariant &value);
    void setValue(const QString &fieldName, const QVariant &value) { setValue(requireField(fieldName), value); }
    /// Sets, in one go, every field for which `values` holds a value (not null) that is already as the field
    /// stores it (see storedValue()): the same row as setValue() for each, with one notice of the change.
    void setStoredValues(const RowValues &values);
    /// True when the edit buffer differs from the stored row.
    bool isModified() const { return m_modified; }

    // --- Editing --------------------------------------------------------------------------------------
    /// Starts a new row before the current one.
    void insert();
    /// Starts a new row at the end.
    void append();
    void edit();
    /// Stores the pending row. Runs beforePost, checks required fields (Error "Field 'X' must have a
    /// value"), stores, runs afterPost. On failure runs postError and leaves the row pending.
    void post();
    void cancel();
    /// Deletes the current row. Throws Error when there is none.
    void deleteRecord();
    /// Appends and posts one row with the given values in field order. On failure the row is discarded,
    /// the dataset is back in Browse and the error is rethrown.
    void appendRecord(const RowValues &values);
    /// About `count` rows are about to be added (an import): makes room for them here and for as many in each
    /// detail, so that the storage and the detail index do not grow step by step. Changes nothing else.
    void expectRows(qsizetype count);
    /// Removes every row at once.
    void emptyDataSet();
    /// Asks bound controls holding typed text to store it in the edit buffer now.
    void updateRecord()
    {
        if (isEditing())
            emit updatingRecord();
    }
    /// Lets bound controls store typed text, then posts a modified pending row or cancels an unmodified one.
    void checkBrowseMode();

    // --- Master-detail --------------------------------------------------------------------------------
    /// Shows only the rows whose detailField equals the master's current masterField. Inserted rows take
    /// the master's key. Passing nullptr removes the link.
    void setMasterSource(Dataset *master, const QString &masterField = {}, const QString &detailField = {});
    Dataset *master() const { return m_master; }

    // --- Events ---------------------------------------------------------------------------------------
    std::function<void(Dataset &)> beforePost;
    std::function<void(Dataset &)> afterPost;
    /// Runs when post() fails after beforePost ran; the row stays pending.
    std::function<void(Dataset &)> postError;

    /// Bound controls stop following the dataset until the matching enableControls().
    void disableControls() { ++m_disableCount; }
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

signals:
    /// Everything may have changed: columns, rows, open state.
    void layoutReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    /// The current row moved.
    void currentChanged();
    void stateChanged();
    /// A value of the edit buffer changed.
    void fieldChanged(int field);
    /// Emitted at the start of post(): bound controls holding typed text write it into the edit buffer now.
    void updatingRecord();

private:
    struct Record
    {
        RowValues values;
    };

    const std::vector<Record *> &view() const { return m_master ? m_view : m_records; }
    Record *currentRecord() const;
    void requireEditing() const;
    void setState(DatasetState state);
    void setCurrent(int row);
    void startNewRow(bool atEnd);
    void removeRecord(Record *record);
    void writeFile(const QString &path) const;
    void clearRecords();
    void refreshRange();
    void rebuildIndex();
    void indexAdd(Record *record);
    void indexRemove(Record *record);
    QString keyOf(const Record *record) const;
    QVariant convert(int field, const QVariant &value) const;
    void notifyLayout();
    bool notifying() const { return m_disableCount == 0; }
    void masterMoved();
    void notifyDetails();
    void applyDisplay(FieldDef &field) const;
    void fieldsReplaced();

    struct Display
    {
        QString label;
        int width = 0;
        QString format;
        std::optional<bool> required;
    };

    QString m_name;
    QString m_fileName;
    Datapacket m_packet; // columns and parameters; the rows live in m_records
    std::vector<Record *> m_records; // owned, in storage order
    std::vector<Record *> m_view;    // a detail's range
    /// A detail key in the index, hashed by its characters plainly. With QString's own hash, inserting a
    /// hundred thousand keys one by one between other work measured three times slower on our machines.
    struct IndexKey
    {
        QString text;
        friend bool operator==(const IndexKey &, const IndexKey &) = default;
        friend size_t qHash(const IndexKey &key, size_t seed) noexcept
        {
            return std::hash<std::u16string_view>()(std::u16string_view(
                       reinterpret_cast<const char16_t *>(key.text.constData()), size_t(key.text.size()))) ^
                   seed;
        }
    };
    QHash<IndexKey, std::vector<Record *>> m_index; // detail key -> rows, in insertion order
    DatasetState m_state = DatasetState::Inactive;
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    RowValues m_buffer;
    Record *m_pending = nullptr; // the row being inserted or edited
    bool m_modified = false;
    int m_changeCount = 0;
    int m_disableCount = 0;

    Dataset *m_master = nullptr;
    int m_masterField = -1;
    QString m_masterFieldName;
    QString m_detailFieldName;
    int m_detailField = -1;
    QList<Dataset *> m_details;
    QHash<QString, Display> m_display; // by lower-case field name

    // Kept in step with m_packet.fields by fieldsReplaced().
    QHash<QString, int> m_fieldByName;   // names as asked for (exact and case-folded) -> first matching field
    std::vector<FieldKind> m_kinds;      // each field's kind, worked out once
    std::vector<IntegerRange> m_ranges;  // each integer field's range
    quint64 m_fieldsVersion = 0;
};

} // namespace quotaly
