#include "GridFilterPopup.h"

#include <algorithm>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStringListModel>
#include <QVBoxLayout>

namespace quotaly::ui {

namespace {
constexpr int kVisibleRows = 12;
}

GridFilterPopup::GridFilterPopup(QWidget *parent)
    : QFrame(parent, Qt::Popup), m_list(new QListView(this)), m_values(new QStringListModel(this)),
      m_edit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("filterPopup"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    m_list->setObjectName(QStringLiteral("filterValues"));
    m_list->setModel(m_values);
    m_list->setUniformItemSizes(true); // a column may offer many thousands of values
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->installEventFilter(this);
    m_edit->setObjectName(QStringLiteral("filterText"));
    m_edit->setPlaceholderText(QStringLiteral("Text the column contains"));
    m_edit->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_list);
    layout->addWidget(m_edit);

    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { choose(index.row()); });
    connect(m_edit, &QLineEdit::returnPressed, this, &GridFilterPopup::applyCustom);
}

void GridFilterPopup::open(const QRect &anchor, const QStringList &values, const std::optional<ColumnFilter> &current)
{
    m_values->setStringList(QStringList{allText(), customText()} + values);
    m_customText = current && !current->exactValue ? current->text : QString();
    m_edit->hide();
    m_list->show();
    int selected = 0;
    if (current) {
        const auto at = std::find_if(values.cbegin(), values.cend(), [&](const QString &v) {
            return current->exactValue && v.compare(current->text, Qt::CaseInsensitive) == 0;
        });
        selected = at != values.cend() ? int(at - values.cbegin()) + 2 : 1;
    }
    m_list->setCurrentIndex(m_values->index(selected));

    const int rowHeight = std::max(m_list->sizeHintForRow(0), fontMetrics().height());
    const int rows = std::min(int(m_values->rowCount()), kVisibleRows);
    const int width = std::max({anchor.width(), m_list->sizeHintForColumn(0) + 24, 140});
    resize(std::min(width, 400), rows * rowHeight + 2 * frameWidth() + 4);
    QPoint at = anchor.bottomLeft() + QPoint(0, 1);
    if (const QScreen *screen = QGuiApplication::screenAt(at)) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - this->width())));
        if (at.y() + height() > room.bottom())
            at.setY(std::max(room.top(), anchor.top() - height()));
    }
    move(at);
    show();
    m_list->setFocus();
    m_list->scrollTo(m_list->currentIndex());
}

void GridFilterPopup::editCustom()
{
    m_list->hide();
    m_edit->setText(m_customText);
    m_edit->show();
    resize(width(), m_edit->sizeHint().height() + 2 * frameWidth() + 2);
    m_edit->setFocus();
    m_edit->selectAll();
}

void GridFilterPopup::choose(int row)
{
    if (row == 1) {
        editCustom();
        return;
    }
    close();
    if (row == 0)
        emit chosen(std::nullopt);
    else if (row > 1)
        emit chosen(ColumnFilter{m_values->index(row).data().toString(), true});
}

void GridFilterPopup::applyCustom()
{
    const QString text = m_edit->text();
    close();
    if (text.isEmpty())
        emit chosen(std::nullopt);
    else
        emit chosen(ColumnFilter{text, false});
}

bool GridFilterPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose(m_list->currentIndex().row());
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void GridFilterPopup::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace quotaly::ui
