#include "DbCheckBox.h"

#include "DataLink.h"

namespace quotaly::ui {

DbCheckBox::DbCheckBox(QWidget *parent) : DbCheckBox(QString(), parent) {}

DbCheckBox::DbCheckBox(const QString &text, QWidget *parent) : QCheckBox(text, parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::refreshRequested, this, &DbCheckBox::refresh);
    // Runs before any slot the window connects later, so those see the field already set.
    connect(this, &QCheckBox::clicked, this, &DbCheckBox::onClicked);
}

void DbCheckBox::setBinding(Dataset *dataset, const QString &fieldName)
{
    m_link->setBinding(dataset, fieldName);
}

Dataset *DbCheckBox::dataset() const
{
    return m_link->dataset();
}

QString DbCheckBox::fieldName() const
{
    return m_link->fieldName();
}

void DbCheckBox::refresh()
{
    setChecked(m_link->value().toBool());
}

void DbCheckBox::onClicked(bool checked)
{
    // A refused change (no row, read-only field, a dataset error) puts the box back as the field says.
    if (!m_link->writeValue(checked))
        refresh();
}

} // namespace quotaly::ui
