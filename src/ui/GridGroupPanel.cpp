#include "GridGroupPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

namespace quotaly::ui {

GridGroupPanel::GridGroupPanel(QWidget *parent)
    : QFrame(parent), m_layout(new QHBoxLayout(this)), m_hint(new QLabel(hintText(), this))
{
    setObjectName(QStringLiteral("groupPanel"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Mid);
    m_hint->setObjectName(QStringLiteral("groupHint"));
    m_hint->setForegroundRole(QPalette::Light);
    m_layout->setContentsMargins(6, 4, 6, 4);
    m_layout->setSpacing(6);
    m_layout->addWidget(m_hint);
    m_layout->addStretch(1);
    setMinimumHeight(m_hint->sizeHint().height() + 14);
}

void GridGroupPanel::setGroups(const QStringList &fields, const QStringList &titles)
{
    // Later, not now: the click or drop that leads here may still be on its way through one of them.
    for (QFrame *box : std::as_const(m_boxes)) {
        for (QObject *part : box->findChildren<QObject *>())
            part->setObjectName(QString()); // gone for anyone looking widgets up by name
        box->setObjectName(QString());
        box->hide();
        m_layout->removeWidget(box);
        box->deleteLater();
    }
    m_boxes.clear();
    m_pressed = nullptr;
    m_dragging = false;
    m_fields = fields;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString &field = fields.at(i);
        auto *box = new QFrame(this);
        box->setObjectName(QStringLiteral("group_") + field);
        box->setFrameStyle(QFrame::Box | QFrame::Raised);
        box->setAutoFillBackground(true);
        box->setBackgroundRole(QPalette::Button);
        auto *title = new QLabel(titles.value(i, field), box);
        auto *close = new QToolButton(box);
        close->setObjectName(QStringLiteral("ungroup_") + field);
        close->setText(QStringLiteral("\u00d7"));
        close->setToolTip(QStringLiteral("Ungroup"));
        close->setAutoRaise(true);
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(6, 1, 1, 1);
        row->setSpacing(2);
        row->addWidget(title);
        row->addWidget(close);
        connect(close, &QToolButton::clicked, this, [this, field] { emit ungroupClicked(field); });
        box->installEventFilter(this);
        title->installEventFilter(this);
        m_layout->insertWidget(int(i), box);
        m_boxes << box;
    }
    m_hint->setVisible(fields.isEmpty());
}

int GridGroupPanel::levelAt(const QPoint &globalPos) const
{
    const int x = mapFromGlobal(globalPos).x();
    int level = 0;
    for (const QFrame *box : m_boxes) {
        if (x > box->geometry().center().x())
            ++level;
    }
    return level;
}

bool GridGroupPanel::containsGlobal(const QPoint &globalPos) const
{
    return isVisible() && rect().contains(mapFromGlobal(globalPos));
}

void GridGroupPanel::setDropHighlight(bool on)
{
    setBackgroundRole(on ? QPalette::Dark : QPalette::Mid);
}

bool GridGroupPanel::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    QFrame *box = nullptr;
    for (QFrame *candidate : std::as_const(m_boxes)) {
        if (widget == candidate || (widget && widget->parentWidget() == candidate))
            box = candidate;
    }
    const QEvent::Type type = event->type();
    if (!box || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease))
        return QFrame::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            m_pressed = box;
            m_pressPos = mouse->globalPosition().toPoint();
            m_dragging = false;
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (m_pressed &&
            (mouse->globalPosition().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragging = true;
            m_pressed->setCursor(Qt::DragMoveCursor);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_pressed && mouse->button() == Qt::LeftButton) {
            QFrame *pressed = std::exchange(m_pressed, nullptr);
            pressed->unsetCursor();
            if (std::exchange(m_dragging, false)) {
                const QString field = m_fields.value(m_boxes.indexOf(pressed));
                emit boxDropped(field, mouse->globalPosition().toPoint()); // may rebuild the boxes
            }
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace quotaly::ui
