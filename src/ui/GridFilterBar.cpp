#include "GridFilterBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace quotaly::ui {

GridFilterBar::GridFilterBar(QWidget *parent)
    : QWidget(parent), m_text(new QLabel(this)), m_clear(new QToolButton(this))
{
    setObjectName(QStringLiteral("filterBar"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    m_text->setObjectName(QStringLiteral("filterDescription"));
    m_text->setForegroundRole(QPalette::ToolTipText);
    m_text->setTextFormat(Qt::PlainText);
    m_clear->setObjectName(QStringLiteral("clearFilter"));
    m_clear->setText(QStringLiteral("\u00d7"));
    m_clear->setToolTip(QStringLiteral("Clear the filter"));
    m_clear->setAutoRaise(true);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 1, 4, 1);
    layout->setSpacing(4);
    layout->addWidget(m_clear);
    layout->addWidget(m_text, 1);

    connect(m_clear, &QToolButton::clicked, this, &GridFilterBar::clearClicked);
    hide();
}

void GridFilterBar::setDescription(const QString &text)
{
    m_text->setText(text);
    m_text->setToolTip(text);
    setVisible(!text.isEmpty());
}

QString GridFilterBar::description() const
{
    return m_text->text();
}

} // namespace quotaly::ui
