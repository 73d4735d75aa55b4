#include "DbComboBox.h"

#include "DataLink.h"

namespace quotaly::ui {

DbComboBox::DbComboBox(QWidget *parent) : QComboBox(parent), m_link(new DataLink(this))
{
    setEditable(false);
    connect(m_link, &DataLink::refreshRequested, this, &DbComboBox::refresh);
    connect(this, &QComboBox::activated, this, &DbComboBox::onActivated);
    // Items are usually added after the binding; the first one added would otherwise be shown as selected.
    connect(model(), &QAbstractItemModel::rowsInserted, this, &DbComboBox::refresh);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &DbComboBox::refresh);
    connect(model(), &QAbstractItemModel::dataChanged, this, &DbComboBox::refresh);
    connect(model(), &QAbstractItemModel::modelReset, this, &DbComboBox::refresh);
}

void DbComboBox::setBinding(Dataset *dataset, const QString &fieldName)
{
    m_link->setBinding(dataset, fieldName);
}

Dataset *DbComboBox::dataset() const
{
    return m_link->dataset();
}

QString DbComboBox::fieldName() const
{
    return m_link->fieldName();
}

void DbComboBox::refresh()
{
    const QVariant value = m_link->value();
    const int index = value.isNull() ? -1 : findText(value.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index != currentIndex())
        setCurrentIndex(index);
}

void DbComboBox::onActivated(int index)
{
    if (index < 0 || !m_link->writeValue(itemText(index)))
        refresh();
}

} // namespace quotaly::ui
