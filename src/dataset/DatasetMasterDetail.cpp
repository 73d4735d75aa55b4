// Master-detail range of a dataset: a detail shows only the rows whose key equals its master's current key.
#include "Dataset.h"

#include <algorithm>

namespace quotaly {

// --- Master-detail -----------------------------------------------------------------------------------------

void Dataset::setMasterSource(Dataset *master, const QString &masterField, const QString &detailField)
{
    if (m_master && m_master != master)
        m_master->m_details.removeAll(this);
    m_master = master;
    m_masterFieldName = masterField;
    m_detailFieldName = detailField;
    if (!master) {
        m_index.clear();
        m_view.clear();
        notifyLayout();
        return;
    }
    if (!master->m_details.contains(this))
        master->m_details.append(this);
    m_masterField = master->fieldIndex(masterField);
    m_detailField = fieldIndex(detailField);
    if (isActive()) {
        rebuildIndex();
        masterMoved();
    }
}

QString Dataset::keyOf(const Record *record) const
{
    return m_detailField < 0 ? QString() : record->values.value(m_detailField).toString();
}

void Dataset::rebuildIndex()
{
    m_index.clear();
    if (m_detailField < 0)
        return;
    m_index.reserve(qsizetype(m_records.size()));
    for (Record *r : m_records)
        m_index[IndexKey{keyOf(r)}].push_back(r);
}

void Dataset::indexAdd(Record *record)
{
    m_index[IndexKey{keyOf(record)}].push_back(record);
}

void Dataset::indexRemove(Record *record)
{
    const auto it = m_index.find(IndexKey{keyOf(record)});
    if (it == m_index.end())
        return;
    auto &bucket = it.value();
    bucket.erase(std::remove(bucket.begin(), bucket.end(), record), bucket.end());
    if (bucket.empty())
        m_index.erase(it);
}

void Dataset::refreshRange()
{
    m_view.clear();
    if (!m_master || !m_master->isActive() || m_master->recNo() < 0 || m_masterField < 0 || m_detailField < 0)
        return;
    const QString key = m_master->value(m_masterField).toString();
    const auto it = m_index.constFind(IndexKey{key});
    if (it != m_index.cend())
        m_view = it.value();
}

void Dataset::masterMoved()
{
    if (!isActive())
        return;
    checkBrowseMode();
    Record *before = currentRecord();
    const std::vector<Record *> oldView = m_view;
    refreshRange();
    if (m_view == oldView && before)
        return;
    m_current = isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = isEmpty();
    notifyLayout();
    notifyDetails();
}

void Dataset::notifyDetails()
{
    for (Dataset *detail : std::as_const(m_details))
        detail->masterMoved();
}

} // namespace quotaly
