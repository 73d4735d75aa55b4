#include "GridIncrementalSearch.h"

#include "GridColumn.h"

#include <algorithm>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>

namespace quotaly::ui {

namespace {

constexpr int kPauseMs = 1500;

QString withoutAccents(const QString &text)
{
    QString plain = text.normalized(QString::NormalizationForm_D);
    plain.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return plain;
}

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// Case never matters; accents matter only when typed, so that "u" finds "Übersetzer" and "ü" does not find "Ulm".
bool startsWith(const QString &text, const QString &typed, bool typedPlain)
{
    if (text.startsWith(typed, Qt::CaseInsensitive))
        return true;
    return typedPlain && !isAscii(text) && withoutAccents(text).startsWith(typed, Qt::CaseInsensitive);
}

} // namespace

GridIncrementalSearch::GridIncrementalSearch(QTableView *view) : QObject(view), m_view(view), m_label(new QLabel(view))
{
    m_label->setObjectName(QStringLiteral("incrementalSearch"));
    m_label->setAutoFillBackground(true);
    m_label->setBackgroundRole(QPalette::ToolTipBase);
    m_label->setForegroundRole(QPalette::ToolTipText);
    m_label->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_label->setMargin(2);
    m_label->setTextFormat(Qt::PlainText);
    m_label->hide();
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &GridIncrementalSearch::reset);
    view->installEventFilter(this);
}

GridIncrementalSearch::~GridIncrementalSearch()
{
    m_view->removeEventFilter(this);
    delete m_label;
}

void GridIncrementalSearch::reset()
{
    m_pause.stop();
    m_text.clear();
    m_label->hide();
}

bool GridIncrementalSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        reset();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString typed = key->text();
    const bool letter = modifiers == Qt::NoModifier && typed.size() == 1 && typed.at(0).isPrint() &&
                        (typed != QStringLiteral(" ") || !m_text.isEmpty());
    const bool ours = letter || (modifiers == Qt::NoModifier && !m_text.isEmpty() &&
                                 (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Escape));
    if (event->type() == QEvent::ShortcutOverride) {
        // Typed letters belong to the search, not to a window shortcut on the same key.
        if (ours)
            event->accept();
        return false;
    }
    if (ours) {
        if (key->key() == Qt::Key_Escape)
            reset();
        else if (key->key() == Qt::Key_Backspace)
            type(m_text.chopped(1));
        else
            type(m_text + typed);
        return true;
    }
    const bool modifierOnly = key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control ||
                              key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta;
    if (!modifierOnly)
        reset(); // moving, paging, anything else: the next letters start afresh
    return false;
}

// Goes on with a new text; a text that no row starts with is not taken.
bool GridIncrementalSearch::type(const QString &text)
{
    if (text.isEmpty()) {
        reset();
        return true;
    }
    const bool found = moveTo(text);
    if (found)
        m_text = text;
    if (m_text.isEmpty()) {
        reset();
        return false;
    }
    showText();
    m_pause.start();
    return found;
}

bool GridIncrementalSearch::moveTo(const QString &text)
{
    const QAbstractItemModel *model = m_view->model();
    const int column = searchColumn();
    if (!model || column < 0)
        return false;
    const bool plain = withoutAccents(text) == text;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, column);
        if (index.data(GroupLevelRole).isValid())
            continue;
        if (!startsWith(index.data(Qt::DisplayRole).toString(), text, plain))
            continue;
        QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect;
        if (m_view->selectionBehavior() == QAbstractItemView::SelectRows)
            how |= QItemSelectionModel::Rows;
        m_view->selectionModel()->setCurrentIndex(index, how);
        m_view->scrollTo(index);
        return true;
    }
    return false;
}

// The current column, else the first one shown.
int GridIncrementalSearch::searchColumn() const
{
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid() && !m_view->isColumnHidden(current.column()))
        return current.column();
    const QHeaderView *header = m_view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        if (!header->isSectionHidden(header->logicalIndex(visual)))
            return header->logicalIndex(visual);
    }
    return -1;
}

void GridIncrementalSearch::showText()
{
    m_label->setText(m_text);
    m_label->adjustSize();
    const QRect room = m_view->viewport()->geometry();
    m_label->move(room.left() + 2, room.bottom() - m_label->height() - 1);
    m_label->show();
    m_label->raise();
}

} // namespace quotaly::ui
