#include "Dataset.h"

#include "AtomicFile.h"
#include "DisplayFormat.h"
#include "Error.h"

#include <algorithm>
#include <limits>
#include <thread>

#include <QDir>
#include <QLocale>

namespace quotaly {

namespace {

bool isMissing(const QVariant &v)
{
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

} // namespace

Dataset::Dataset(const QString &name, QObject *parent) : QObject(parent), m_name(name)
{
    setObjectName(name);
}

Dataset::~Dataset()
{
    if (m_master)
        m_master->m_details.removeAll(this);
    for (Dataset *detail : std::as_const(m_details))
        detail->m_master = nullptr;
    clearRecords();
}

// --- Schema ------------------------------------------------------------------------------------------------

void Dataset::setFields(const QList<FieldDef> &fields)
{
    if (isActive())
        throw Error(QStringLiteral("%1: Cannot perform this operation on an open dataset").arg(m_name));
    m_packet.fields = fields;
    for (FieldDef &f : m_packet.fields)
        applyDisplay(f);
    fieldsReplaced();
    if (m_master)
        setMasterSource(m_master, m_masterFieldName, m_detailFieldName);
}

int Dataset::fieldIndex(const QString &name) const
{
    // Names are mostly asked for as declared, which needs no case folding.
    const auto exact = m_fieldByName.constFind(name);
    if (exact != m_fieldByName.cend())
        return *exact;
    return m_fieldByName.value(name.toCaseFolded(), -1);
}

void Dataset::fieldsReplaced()
{
    ++m_fieldsVersion;
    m_fieldByName.clear();
    m_kinds.clear();
    m_ranges.clear();
    for (int i = int(m_packet.fields.size()) - 1; i >= 0; --i) { // backwards: the first of equal names wins
        const QString &name = m_packet.fields.at(i).name;
        m_fieldByName.insert(name.toCaseFolded(), i);
    }
    for (int i = 0; i < m_packet.fields.size(); ++i) {
        const FieldDef &f = m_packet.fields.at(i);
        m_fieldByName.insert(f.name, m_fieldByName.value(f.name.toCaseFolded()));
        m_kinds.push_back(f.kind());
        m_ranges.push_back(integerRangeForToken(f.typeToken));
    }
}

int Dataset::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
    return i;
}

void Dataset::applyDisplay(FieldDef &field) const
{
    const auto it = m_display.constFind(field.name.toLower());
    if (it == m_display.cend())
        return;
    if (!it->label.isNull())
        field.displayLabel = it->label;
    if (it->width > 0)
        field.displayWidth = it->width;
    if (!it->format.isNull())
        field.displayFormat = it->format;
    if (it->required)
        field.required = *it->required;
}

void Dataset::setFieldRequired(const QString &fieldName, bool required)
{
    m_display[fieldName.toLower()].required = required;
    const int i = fieldIndex(fieldName);
    if (i >= 0)
        applyDisplay(m_packet.fields[i]);
}

void Dataset::setFieldDisplay(const QString &fieldName, const QString &label, int width, const QString &format)
{
    Display &d = m_display[fieldName.toLower()];
    d.label = label;
    d.width = width;
    d.format = format;
    const int i = fieldIndex(fieldName);
    if (i >= 0)
        applyDisplay(m_packet.fields[i]);
}

void Dataset::setDisplayFormat(const QString &fieldName, const QString &format)
{
    m_display[fieldName.toLower()].format = format.isNull() ? QStringLiteral("") : format;
    const int i = fieldIndex(fieldName);
    if (i >= 0)
        applyDisplay(m_packet.fields[i]);
    if (notifying() && isActive())
        emit layoutReset();
}

// --- Files -------------------------------------------------------------------------------------------------

void Dataset::loadFromFile(const QString &fileName)
{
    const QString path = fileName.isEmpty() ? m_fileName : fileName;
    if (path.isEmpty())
        throw Error(QStringLiteral("%1: Missing data provider or data packet").arg(m_name));
    const QByteArray bytes = readWholeFile(path);
    Datapacket packet;
    try {
        packet = readDatapacket(bytes);
    } catch (const Error &e) {
        throw Error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), e.text()));
    }
    loadFromPacket(std::move(packet));
}

void Dataset::loadFromPacket(const Datapacket &packet)
{
    loadFromPacket(Datapacket(packet));
}

void Dataset::loadFromPacket(Datapacket &&packet)
{
    if (isEditing())
        cancel();
    clearRecords();
    QList<RowValues> rows = std::move(packet.rows);
    m_packet = std::move(packet);
    m_packet.rows.clear();
    const qsizetype width = m_packet.fields.size();
    m_records.reserve(std::size_t(rows.size()));
    for (RowValues &row : rows) {
        auto *r = new Record{std::move(row)};
        if (r->values.size() != width) // resizing a list of the right size would still copy it
            r->values.resize(width);
        m_records.push_back(r);
    }
    rows.clear();
    for (FieldDef &f : m_packet.fields)
        applyDisplay(f);
    fieldsReplaced();
    m_changeCount = 0;
    m_state = DatasetState::Browse;
    if (m_master) {
        m_masterField = m_master->fieldIndex(m_masterFieldName);
        m_detailField = fieldIndex(m_detailFieldName);
        rebuildIndex();
        refreshRange();
    }
    m_current = isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = isEmpty();
    notifyLayout();
    notifyDetails();
}

Datapacket Dataset::toPacket() const
{
    Datapacket packet = m_packet;
    packet.rows.reserve(qsizetype(m_records.size()));
    for (const Record *r : m_records) {
        if (r == m_pending && m_state == DatasetState::Insert)
            continue;
        packet.rows.append(r->values);
    }
    return packet;
}

void Dataset::saveToFile(const QString &fileName)
{
    const QString path = fileName.isEmpty() ? m_fileName : fileName;
    writeFile(path);
    if (path == m_fileName)
        m_changeCount = 0;
}

void Dataset::writeFile(const QString &path) const
{
    if (path.isEmpty())
        throw Error(QStringLiteral("%1: Missing file name").arg(m_name));
    if (m_packet.fields.isEmpty())
        throw Error(QStringLiteral("%1: Cannot save a dataset without columns").arg(m_name));
    writeFileAtomically(path, writeDatapacket(toPacket()));
}

QList<std::pair<Dataset *, Error>> Dataset::saveToFiles(const QList<Dataset *> &datasets)
{
    // Each thread only reads its own dataset (texts that datasets share are counted atomically) and writes its
    // own file; the change counts are set here, on the caller's thread, once every file is written.
    std::vector<std::optional<Error>> errors(size_t(datasets.size()));
    std::vector<std::thread> threads;
    threads.reserve(size_t(datasets.size()));
    for (qsizetype i = 0; i < datasets.size(); ++i) {
        threads.emplace_back([d = datasets.at(i), &error = errors[size_t(i)]] {
            try {
                d->writeFile(d->m_fileName);
            } catch (const Error &e) {
                error = e;
            } catch (const std::exception &e) { // nothing may leave a thread: it would end the program
                error = Error(QStringLiteral("%1: %2").arg(d->name(), QString::fromLocal8Bit(e.what())));
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    QList<std::pair<Dataset *, Error>> failed;
    for (qsizetype i = 0; i < datasets.size(); ++i) {
        if (errors[size_t(i)])
            failed.append({datasets.at(i), *errors[size_t(i)]});
        else
            datasets.at(i)->m_changeCount = 0;
    }
    return failed;
}

// --- Life cycle --------------------------------------------------------------------------------------------

void Dataset::createDataSet()
{
    if (m_packet.fields.isEmpty())
        throw Error(QStringLiteral("%1: Field definitions missing").arg(m_name));
    Datapacket packet;
    packet.declaration = m_packet.declaration;
    packet.fields = m_packet.fields;
    packet.params = m_packet.params;
    loadFromPacket(std::move(packet));
}

void Dataset::open()
{
    if (isActive())
        return;
    if (!m_fileName.isEmpty())
        loadFromFile(m_fileName);
    else
        createDataSet();
}

void Dataset::close()
{
    if (!isActive())
        return;
    checkBrowseMode();
    if (!m_fileName.isEmpty() && m_changeCount > 0)
        saveToFile(m_fileName);
    clearRecords();
    m_view.clear();
    m_index.clear();
    m_state = DatasetState::Inactive;
    m_current = -1;
    m_bof = m_eof = true;
    m_changeCount = 0;
    notifyLayout();
    notifyDetails();
}

void Dataset::clearRecords()
{
    for (Record *r : m_records)
        delete r;
    m_records.clear();
    m_view.clear();
    m_index.clear();
    m_pending = nullptr;
    m_buffer.clear();
    m_modified = false;
}

// --- Navigation --------------------------------------------------------------------------------------------

void Dataset::setCurrent(int row)
{
    const int count = recordCount();
    m_current = count == 0 ? -1 : std::clamp(row, 0, count - 1);
    if (notifying())
        emit currentChanged();
    notifyDetails();
}

void Dataset::setRecNo(int row)
{
    requireActive();
    checkBrowseMode();
    m_bof = m_eof = isEmpty();
    setCurrent(row);
}

void Dataset::first()
{
    requireActive();
    checkBrowseMode();
    m_bof = true;
    m_eof = isEmpty();
    setCurrent(0);
}

void Dataset::last()
{
    requireActive();
    checkBrowseMode();
    m_bof = isEmpty();
    m_eof = true;
    setCurrent(recordCount() - 1);
}

void Dataset::next()
{
    requireActive();
    checkBrowseMode();
    if (m_current + 1 >= recordCount()) {
        m_eof = true;
        return;
    }
    m_bof = m_eof = false;
    setCurrent(m_current + 1);
}

void Dataset::prior()
{
    requireActive();
    checkBrowseMode();
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    m_bof = m_eof = false;
    setCurrent(m_current - 1);
}

bool Dataset::locate(const QString &fieldName, const QVariant &value)
{
    requireActive();
    const int f = requireField(fieldName);
    QVariant wanted;
    try {
        wanted = convert(f, value);
    } catch (const Error &) {
        return false;
    }
    checkBrowseMode();
    const auto &rows = view();
    for (int i = 0; i < int(rows.size()); ++i) {
        const QVariant &v = rows[std::size_t(i)]->values.at(f);
        const bool equal = field(f).kind() == FieldKind::Text ? (v.toString() == wanted.toString() &&
                                                                 v.isNull() == wanted.isNull())
                                                              : v == wanted;
        if (equal) {
            m_bof = m_eof = false;
            setCurrent(i);
            return true;
        }
    }
    return false;
}

// --- Values ------------------------------------------------------------------------------------------------

Dataset::Record *Dataset::currentRecord() const
{
    const auto &rows = view();
    if (m_current < 0 || m_current >= int(rows.size()))
        return nullptr;
    return rows[std::size_t(m_current)];
}

QVariant Dataset::value(int field) const
{
    if (field < 0 || field >= fieldCount())
        return {};
    if (isEditing())
        return m_buffer.value(field);
    const Record *r = currentRecord();
    return r ? r->values.value(field) : QVariant();
}

QVariant Dataset::valueAt(int row, int field) const
{
    const auto &rows = view();
    if (row < 0 || row >= int(rows.size()) || field < 0 || field >= fieldCount())
        return {};
    const Record *r = rows[std::size_t(row)];
    if (r == m_pending && isEditing())
        return m_buffer.value(field);
    return r->values.value(field);
}

QString Dataset::asString(const QString &fieldName) const
{
    const int f = requireField(fieldName);
    const QVariant v = value(f);
    if (v.isNull())
        return {};
    switch (field(f).kind()) {
    case FieldKind::Float:
        return formatFloatGeneral(v.toDouble(), QLocale());
    case FieldKind::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

qint64 Dataset::asInteger(const QString &fieldName) const
{
    const QVariant v = value(fieldName);
    return v.isNull() ? 0 : v.toLongLong();
}

double Dataset::asFloat(const QString &fieldName) const
{
    const QVariant v = value(fieldName);
    return v.isNull() ? 0.0 : v.toDouble();
}

bool Dataset::asBoolean(const QString &fieldName) const
{
    const QVariant v = value(fieldName);
    return v.isNull() ? false : v.toBool();
}

QString Dataset::displayText(int row, int field) const
{
    const QVariant v = valueAt(row, field);
    if (v.isNull())
        return {};
    const FieldDef &f = this->field(field);
    switch (m_kinds[std::size_t(field)]) {
    case FieldKind::Float:
        return formatFloat(v.toDouble(), f.displayFormat, QLocale());
    case FieldKind::Integer:
        return f.displayFormat.isEmpty() ? QString::number(v.toLongLong())
                                         : formatFloat(double(v.toLongLong()), f.displayFormat, QLocale());
    case FieldKind::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

QVariant Dataset::convert(int field, const QVariant &value) const
{
    if (value.isNull() || !value.isValid())
        return {};
    const FieldDef &f = this->field(field);
    const bool isText = value.typeId() == QMetaType::QString;
    switch (m_kinds[std::size_t(field)]) {
    case FieldKind::Text: {
        QString s = value.toString();
        if (s.isEmpty())
            return {};
        if (f.width > 0 && s.size() > f.width)
            s.truncate(f.width);
        return s;
    }
    case FieldKind::Integer: {
        qint64 v = 0;
        if (isText) {
            if (value.toString().trimmed().isEmpty())
                return {};
            const auto parsed = parseUserInteger(value.toString());
            if (!parsed)
                throw Error(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
            v = *parsed;
        } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            const double d = value.toDouble();
            if (d != double(qint64(d)))
                throw Error(QStringLiteral("'%1' is not a valid integer value").arg(formatFloatGeneral(d, QLocale())));
            v = qint64(d);
        } else {
            bool ok = false;
            v = value.toLongLong(&ok);
            if (!ok)
                throw Error(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        }
        const auto [lo, hi] = m_ranges[std::size_t(field)];
        if (v < lo || v > hi)
            throw Error(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                            .arg(v)
                            .arg(f.name)
                            .arg(lo)
                            .arg(hi));
        return v;
    }
    case FieldKind::Float: {
        if (isText) {
            if (value.toString().trimmed().isEmpty())
                return {};
            const auto parsed = parseUserFloat(value.toString(), QLocale());
            if (!parsed)
                throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
            return *parsed;
        }
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return d;
    }
    case FieldKind::Boolean: {
        if (isText) {
            const QString s = value.toString().trimmed().toLower();
            if (s.isEmpty())
                return {};
            if (s == u"true" || s == u"1")
                return true;
            if (s == u"false" || s == u"0")
                return false;
            throw Error(QStringLiteral("'%1' is not a valid boolean value").arg(value.toString()));
        }
        return value.toBool();
    }
    case FieldKind::Opaque:
    case FieldKind::Nested:
        return value.toString();
    }
    return value;
}

void Dataset::setValue(int field, const QVariant &value)
{
    requireEditing();
    if (field < 0 || field >= fieldCount())
        throw Error(QStringLiteral("%1: Field index out of range").arg(m_name));
    const QVariant converted = convert(field, value);
    QVariant &slot = m_buffer[field];
    if (slot == converted && slot.isNull() == converted.isNull())
        return;
    slot = converted;
    m_modified = true;
    if (notifying()) {
        emit fieldChanged(field);
        emit rowChanged(m_current);
    }
}

void Dataset::expectRows(qsizetype count)
{
    if (count <= 0)
        return;
    m_records.reserve(m_records.size() + size_t(count));
    if (m_master && m_detailField >= 0)
        m_index.reserve(m_index.size() + count);
    for (Dataset *detail : std::as_const(m_details))
        detail->expectRows(count);
}

void Dataset::setStoredValues(const RowValues &values)
{
    requireEditing();
    const bool notify = notifying();
    std::vector<int> changed; // only wanted for the notices
    bool anyChange = false;
    const int count = int(std::min(values.size(), qsizetype(fieldCount())));
    for (int i = 0; i < count; ++i) {
        const QVariant &value = values.at(i);
        if (value.isNull())
            continue;
        QVariant &slot = m_buffer[i];
        if (slot == value && !slot.isNull())
            continue;
        slot = value;
        anyChange = true;
        if (notify)
            changed.push_back(i);
    }
    if (!anyChange)
        return;
    m_modified = true;
    if (notify) {
        for (int field : changed)
            emit fieldChanged(field);
        emit rowChanged(m_current);
    }
}

// --- Editing -----------------------------------------------------------------------------------------------

void Dataset::requireActive() const
{
    if (!isActive())
        throw Error(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(m_name));
}

void Dataset::requireEditing() const
{
    if (!isEditing())
        throw Error(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_name));
}

void Dataset::setState(DatasetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (notifying())
        emit stateChanged();
}

void Dataset::insert()
{
    requireActive();
    checkBrowseMode();
    startNewRow(false);
}

void Dataset::append()
{
    requireActive();
    checkBrowseMode();
    startNewRow(true);
}

void Dataset::startNewRow(bool atEnd)
{
    if (m_master && (!m_master->isActive() || m_master->isEmpty() || m_detailField < 0))
        throw Error(QStringLiteral("%1: Cannot add a row without a current %2 row").arg(m_name, m_master->name()));
    // The row's values stay empty until it is posted: until then the buffer stands for them.
    auto *record = new Record;
    Record *before = atEnd ? nullptr : currentRecord();
    const auto storagePos = before ? std::find(m_records.begin(), m_records.end(), before) : m_records.end();
    m_records.insert(storagePos, record);
    int row = recordCount();
    if (m_master) {
        row = before ? m_current : int(m_view.size());
        m_view.insert(m_view.begin() + row, record);
    } else if (before) {
        row = m_current;
    } else {
        row = int(m_records.size()) - 1;
    }
    m_pending = record;
    m_buffer = RowValues(fieldCount());
    if (m_master)
        m_buffer[m_detailField] = convert(m_detailField, m_master->value(m_masterField));
    m_modified = false;
    m_current = row;
    m_bof = m_eof = false;
    m_state = DatasetState::Insert;
    if (notifying()) {
        emit rowInserted(row);
        emit currentChanged();
        emit stateChanged();
    }
    notifyDetails();
}

void Dataset::edit()
{
    requireActive();
    if (isEditing())
        return;
    if (isEmpty()) {
        insert();
        return;
    }
    m_pending = currentRecord();
    m_buffer = m_pending->values;
    m_modified = false;
    setState(DatasetState::Edit);
}

void Dataset::post()
{
    requireEditing();
    emit updatingRecord();
    if (beforePost)
        beforePost(*this);
    try {
        for (int i = 0; i < fieldCount(); ++i) {
            if (field(i).required && isMissing(m_buffer.value(i)))
                throw Error(QStringLiteral("Field '%1' must have a value").arg(field(i).name));
        }
    } catch (const Error &) {
        if (postError)
            postError(*this);
        throw;
    }
    Record *record = m_pending;
    const bool wasInsert = m_state == DatasetState::Insert;
    const bool indexed = m_master && m_detailField >= 0;
    if (indexed && !wasInsert)
        indexRemove(record);
    record->values = m_buffer;
    if (indexed)
        indexAdd(record);
    m_pending = nullptr;
    m_buffer.clear();
    m_modified = false;
    ++m_changeCount;
    m_state = DatasetState::Browse;
    if (notifying()) {
        emit rowChanged(m_current);
        emit stateChanged();
    }
    notifyDetails();
    if (afterPost)
        afterPost(*this);
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    Record *record = m_pending;
    const bool wasInsert = m_state == DatasetState::Insert;
    m_pending = nullptr;
    m_buffer.clear();
    m_modified = false;
    m_state = DatasetState::Browse;
    if (wasInsert) {
        const int row = m_current;
        removeRecord(record);
        if (notifying())
            emit rowRemoved(row);
        const int count = recordCount();
        m_current = count == 0 ? -1 : std::min(row, count - 1);
        m_bof = m_eof = count == 0;
        if (notifying())
            emit currentChanged();
    } else if (notifying()) {
        emit rowChanged(m_current);
    }
    if (notifying())
        emit stateChanged();
    notifyDetails();
}

void Dataset::removeRecord(Record *record)
{
    m_records.erase(std::find(m_records.begin(), m_records.end(), record));
    if (m_master) {
        const auto it = std::find(m_view.begin(), m_view.end(), record);
        if (it != m_view.end())
            m_view.erase(it);
        indexRemove(record);
    }
    delete record;
}

void Dataset::deleteRecord()
{
    requireActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    cancel();
    if (isEmpty())
        throw Error(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(m_name));
    const int row = m_current;
    removeRecord(currentRecord());
    ++m_changeCount;
    if (notifying())
        emit rowRemoved(row);
    const int count = recordCount();
    m_bof = m_eof = count == 0;
    setCurrent(std::min(row, count - 1));
}

void Dataset::appendRecord(const RowValues &values)
{
    append();
    try {
        for (int i = 0; i < std::min(int(values.size()), fieldCount()); ++i) {
            if (!values.at(i).isNull())
                setValue(i, values.at(i));
        }
        post();
    } catch (...) {
        cancel();
        throw;
    }
}

void Dataset::emptyDataSet()
{
    requireActive();
    cancel();
    const bool hadRows = !m_records.empty();
    clearRecords();
    if (hadRows)
        ++m_changeCount;
    m_current = -1;
    m_bof = m_eof = true;
    notifyLayout();
    notifyDetails();
}

void Dataset::checkBrowseMode()
{
    if (!isEditing())
        return;
    emit updatingRecord(); // bound controls holding typed text store it first
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        notifyLayout();
}

void Dataset::notifyLayout()
{
    if (!notifying())
        return;
    emit layoutReset();
    emit currentChanged();
    emit stateChanged();
}

} // namespace quotaly
