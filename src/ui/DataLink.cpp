#include "DataLink.h"

#include "Dialogs.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"

#include <QScopeGuard>

namespace quotaly::ui {

DataLink::DataLink(QObject *parent) : QObject(parent) {}

void DataLink::setBinding(Dataset *dataset, const QString &fieldName)
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataset = dataset;
    m_fieldName = fieldName;
    if (dataset) {
        m_connections << connect(dataset, &Dataset::layoutReset, this, &DataLink::onLayoutReset)
                      << connect(dataset, &Dataset::currentChanged, this, [this] { requestRefresh(true); })
                      << connect(dataset, &Dataset::stateChanged, this, [this] { requestRefresh(false); })
                      << connect(dataset, &Dataset::fieldChanged, this, &DataLink::onFieldChanged)
                      << connect(dataset, &Dataset::rowChanged, this, &DataLink::onRowChanged)
                      << connect(dataset, &Dataset::updatingRecord, this, &DataLink::updatingRecord)
                      << connect(dataset, &QObject::destroyed, this, [this] {
                             m_field = -1;
                             requestRefresh(true);
                         });
    }
    resolveField();
    requestRefresh(true);
}

void DataLink::resolveField()
{
    m_field = m_dataset && !m_fieldName.isEmpty() ? m_dataset->fieldIndex(m_fieldName) : -1;
}

Dataset *DataLink::dataset() const
{
    return m_dataset;
}

const FieldDef *DataLink::field() const
{
    return m_dataset && m_field >= 0 && m_field < m_dataset->fieldCount() ? &m_dataset->field(m_field) : nullptr;
}

bool DataLink::isActive() const
{
    return m_dataset && m_dataset->isActive() && field();
}

bool DataLink::isEditing() const
{
    return isActive() && m_dataset->isEditing();
}

bool DataLink::hasRow() const
{
    return isActive() && (m_dataset->isEditing() || m_dataset->recNo() >= 0);
}

QVariant DataLink::value() const
{
    return hasRow() ? m_dataset->value(m_field) : QVariant();
}

bool DataLink::canModify() const
{
    const FieldDef *f = field();
    if (!isActive() || f->readOnly)
        return false;
    switch (f->kind()) {
    case FieldKind::Text:
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Boolean:
        break;
    default:
        return false;
    }
    if (hasRow())
        return true;
    // An empty dataset takes a new row, unless it is a detail with no master row to belong to.
    const Dataset *master = m_dataset->master();
    return !master || (master->isActive() && !master->isEmpty());
}

bool DataLink::beginEdit()
{
    if (!canModify())
        return false;
    try {
        startEdit();
    } catch (const Error &e) {
        dialogs().message(nullptr, e.text(), Dialogs::Kind::Error);
        return false;
    }
    return m_dataset->isEditing();
}

bool DataLink::writeValue(const QVariant &value)
{
    if (!canModify())
        return false;
    try {
        startEdit();
        m_dataset->setValue(m_field, value);
    } catch (const Error &e) {
        dialogs().message(nullptr, e.text(), Dialogs::Kind::Error);
        return false;
    }
    return true;
}

void DataLink::startEdit()
{
    if (m_dataset->isEditing())
        return;
    m_beginning = true;
    const auto done = qScopeGuard([this] { m_beginning = false; });
    m_dataset->edit(); // inserts when the dataset is empty
}

void DataLink::onLayoutReset()
{
    resolveField();
    requestRefresh(true);
}

void DataLink::onFieldChanged(int field)
{
    if (field == m_field)
        requestRefresh(false);
}

void DataLink::onRowChanged(int row)
{
    // Another view (a grid) may have changed the current row's stored values.
    if (m_dataset && row == m_dataset->recNo() && !m_dataset->isEditing())
        requestRefresh(false);
}

void DataLink::requestRefresh(bool rowMoved)
{
    if (!m_beginning)
        emit refreshRequested(rowMoved);
}

} // namespace quotaly::ui
