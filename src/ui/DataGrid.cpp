#include "DataGrid.h"

#include "DatasetTableModel.h"
#include "Dialogs.h"
#include "GridFilterBar.h"
#include "GridFilterPopup.h"
#include "GridGroupModel.h"
#include "GridGroupPanel.h"
#include "GridHeaderView.h"
#include "GridProxyModel.h"
#include "GridTableView.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace quotaly::ui {

DataGrid::DataGrid(QWidget *parent)
    : QWidget(parent), m_groupPanel(new GridGroupPanel(this)), m_view(new GridTableView(this)),
      m_header(new GridHeaderView(m_view)), m_proxy(new GridProxyModel(this)), m_group(new GridGroupModel(this)),
      m_footer(new DataGridFooter(
          m_view, [this](int column) { return footerCell(column); }, this)),
      m_scrollBar(new QScrollBar(Qt::Horizontal, this)), m_filterBar(new GridFilterBar(this))
{
    m_view->setObjectName(QStringLiteral("gridView"));
    m_header->setSectionsClickable(true);
    m_view->setHorizontalHeader(m_header);
    // A change of rows may move the view's current row (off a row that goes, say) while the dataset is in the
    // middle of that very change; the grid must know before the view reacts, so these come first.
    m_group->setSourceModel(m_proxy);
    // The dataset lets a row go before its model says so, and the proxy drops the row when the model is about
    // to: until the model has let it go too, row numbers and texts do not agree, so nothing is read meanwhile.
    m_group->setWaitWhile([this] { return m_proxy->isSourceRemoving(); });
    connect(m_proxy, &GridProxyModel::sourceRowsSettled, m_group, &GridGroupModel::finishWaitingLayout);
    connect(m_proxy, &GridProxyModel::sourceRowsSettled, this, [this] {
        if (!m_rowsChanging)
            followRows();
    });
    connect(m_group, &QAbstractItemModel::rowsAboutToBeInserted, this, &DataGrid::onRowsChanging);
    connect(m_group, &QAbstractItemModel::rowsAboutToBeRemoved, this, &DataGrid::onRowsChanging);
    connect(m_group, &QAbstractItemModel::layoutAboutToBeChanged, this, &DataGrid::onRowsChanging);
    connect(m_group, &QAbstractItemModel::modelAboutToBeReset, this, &DataGrid::onAboutToReset);
    m_view->setModel(m_group);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_view->horizontalHeader()->setHighlightSections(false);
    // Long titles wrap onto more lines instead of widening their columns.
    m_view->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    m_view->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    // The footer sits between the rows and the scroll bar, so the view's own bar stays hidden and ours follows it.
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->installEventFilter(this);
    setFocusProxy(m_view);
    m_footer->hide();
    m_scrollBar->hide();
    m_groupPanel->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_groupPanel);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);
    layout->addWidget(m_scrollBar);
    layout->addWidget(m_filterBar);

    QScrollBar *own = m_view->horizontalScrollBar();
    connect(own, &QScrollBar::rangeChanged, this, &DataGrid::syncScrollBar);
    connect(own, &QScrollBar::valueChanged, m_scrollBar, &QScrollBar::setValue);
    connect(m_scrollBar, &QScrollBar::valueChanged, own, &QScrollBar::setValue);

    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &DataGrid::invalidateFooter);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &DataGrid::invalidateFooter);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &DataGrid::invalidateFooter);
    connect(m_proxy, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles != QList<int>{Qt::BackgroundRole, Qt::ForegroundRole}) {
                    invalidateFooter();
                    rememberSelectedKeys(); // a key value may have changed
                }
            });

    // The view's rows: while they change the selection is in flux; a reset loses it, so it is kept aside.
    // (The notices that a change begins are connected ahead of the view, see above.)
    const QAbstractItemModel *rows = m_view->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &DataGrid::onRowsChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &DataGrid::onRowsChanged);
    connect(rows, &QAbstractItemModel::layoutChanged, this, &DataGrid::onRowsChanged);
    connect(rows, &QAbstractItemModel::modelReset, this, &DataGrid::onReset);

    connect(m_header, &QHeaderView::sectionResized, this, &DataGrid::onSectionResized);
    connect(m_header, &GridHeaderView::sortClicked, this, &DataGrid::onHeaderSortClicked);
    connect(m_header, &GridHeaderView::filterButtonClicked, this,
            [this](int column) { showColumnFilter(m_proxy->fieldName(column)); });
    connect(m_header, &QWidget::customContextMenuRequested, this, &DataGrid::onHeaderMenu);
    connect(m_filterBar, &GridFilterBar::clearClicked, this, &DataGrid::clearColumnFilters);
    connectGrouping();
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DataGrid::onViewCurrentChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_rowsChanging)
            rememberSelectedKeys();
    });
    updateCurrentRowBrush();
}

DataGrid::~DataGrid()
{
    // The children go after this body and some of them signal on the way out: nothing may reach the grid then.
    const QObject *senders[] = {m_proxy,
                                m_group,
                                m_groupPanel,
                                m_model,
                                m_view->model(),
                                m_view->horizontalHeader(),
                                m_view->selectionModel(),
                                m_view->horizontalScrollBar(),
                                m_dataset.data(),
                                m_filterBar,
                                m_filterPopup};
    for (const QObject *sender : senders) {
        if (sender)
            disconnect(sender, nullptr, this, nullptr);
    }
}

// --- Data ---------------------------------------------------------------------------------------------------

void DataGrid::setDataset(Dataset *dataset, const QStringList &fieldNames)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    // Another dataset's rows: nothing selected carries over.
    m_view->clearSelection();
    m_selectedKeys.clear();
    DatasetTableModel *old = m_model;
    m_dataset = dataset;
    m_model = new DatasetTableModel(dataset, fieldNames, this);
    m_proxy->setTableModel(m_model);
    delete old;
    if (dataset)
        connect(dataset, &Dataset::currentChanged, this, &DataGrid::onDatasetCurrentChanged);
    applyColumns();
    onDatasetCurrentChanged();
}

Dataset *DataGrid::dataset() const
{
    return m_dataset;
}

// --- Columns ------------------------------------------------------------------------------------------------

int DataGrid::columnOf(const QString &field) const
{
    return m_model ? m_model->columnOfField(field) : -1;
}

GridColumn &DataGrid::settings(const QString &field)
{
    return m_proxy->settings(field);
}

void DataGrid::settingsChanged()
{
    m_proxy->settingsChanged();
    applyColumns();
}

void DataGrid::setReadOnly(bool readOnly)
{
    m_proxy->setReadOnly(readOnly);
    m_view->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                     : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::AnyKeyPressed);
}

bool DataGrid::isReadOnly() const
{
    return m_proxy->isReadOnly();
}

void DataGrid::setColumnTitle(const QString &field, const QString &title)
{
    settings(field).title = title;
    settingsChanged();
}

QString DataGrid::columnTitle(const QString &field) const
{
    const int column = columnOf(field);
    return column < 0 ? QString() : m_proxy->headerData(column, Qt::Horizontal).toString();
}

void DataGrid::setColumnWidth(const QString &field, int pixels)
{
    settings(field).width = pixels;
    settingsChanged();
}

void DataGrid::setColumnAlignment(const QString &field, Qt::Alignment alignment)
{
    settings(field).alignment = alignment;
    settingsChanged();
}

void DataGrid::setColumnDisplayFormat(const QString &field, const std::optional<QString> &format)
{
    settings(field).displayFormat = format;
    m_proxy->textsChanged();
    applyColumns();
}

void DataGrid::setColumnVisible(const QString &field, bool visible)
{
    settings(field).hidden = !visible;
    settingsChanged();
}

bool DataGrid::isColumnVisible(const QString &field) const
{
    const int column = columnOf(field);
    return column >= 0 && !m_view->isColumnHidden(column);
}

void DataGrid::setColumnReadOnly(const QString &field, bool readOnly)
{
    settings(field).readOnly = readOnly;
    settingsChanged();
}

void DataGrid::applyColumns()
{
    m_applyingColumns = true;
    for (int c = 0; c < m_proxy->columnCount(); ++c) {
        const GridColumn &column = m_proxy->columnSettings(c);
        m_view->setColumnWidth(c, column.width >= 0 ? column.width : defaultWidth(c));
        m_view->setColumnHidden(c, column.hidden);
    }
    m_applyingColumns = false;
    updateHeaderHeight();
    m_footer->setVisible(hasFooter());
    invalidateFooter();
    updateFilterBar();
}

// As wide as the field's display width in digits, and as the longest word of the title (which wraps).
int DataGrid::defaultWidth(int column) const
{
    const int field = m_proxy->fieldIndex(column);
    int chars = 10;
    if (field >= 0 && m_dataset) {
        const FieldDef &def = m_dataset->field(field);
        chars = def.displayWidth > 0 ? def.displayWidth : (def.width > 0 ? std::min(def.width, 40) : chars);
    }
    const int data = m_view->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 4;
    const QFontMetrics header = m_view->horizontalHeader()->fontMetrics();
    int word = 0;
    for (const QString &w : m_proxy->headerData(column, Qt::Horizontal).toString().split(u' '))
        word = std::max(word, header.horizontalAdvance(w));
    return std::max({data, word + 2 * headerMargin() + 2, 24});
}

int DataGrid::headerMargin() const
{
    return m_view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_view->horizontalHeader());
}

// Tall enough for the title that wraps onto the most lines.
void DataGrid::updateHeaderHeight()
{
    QHeaderView *header = m_view->horizontalHeader();
    const QFontMetrics fm = header->fontMetrics();
    const int margin = headerMargin();
    int height = 0;
    for (int c = 0; c < m_proxy->columnCount(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        const QRect room(0, 0, std::max(1, header->sectionSize(c) - 2 * margin), 10000);
        const QString title = m_proxy->headerData(c, Qt::Horizontal).toString();
        height = std::max(height, fm.boundingRect(room, int(Qt::AlignCenter | Qt::TextWordWrap), title).height());
    }
    header->setMinimumHeight(height + 2 * margin);
}

void DataGrid::onSectionResized(int column, int, int newSize)
{
    // A width the user drags is kept like one set by the program, so a reload does not undo it.
    const int field = m_proxy->fieldIndex(column);
    if (m_applyingColumns || newSize <= 0 || field < 0 || !m_dataset)
        return;
    updateHeaderHeight();
    m_proxy->settings(m_dataset->field(field).name).width = newSize;
}

// --- Current row --------------------------------------------------------------------------------------------

void DataGrid::onViewCurrentChanged(const QModelIndex &current)
{
    // The view moves its current row itself when rows come and go; only the user's moves move the dataset.
    if (!current.isValid() || !m_dataset || !m_dataset->isActive() || m_rowsChanging || m_proxy->isSourceRemoving())
        return;
    const int row = datasetRowAt(current.row());
    if (row < 0 || m_dataset->recNo() == row)
        return;
    try {
        m_dataset->setRecNo(row);
    } catch (const Error &e) {
        dialogs().message(this, e.text(), Dialogs::Kind::Error);
        onDatasetCurrentChanged(); // back to the row the dataset stayed on
    }
}

void DataGrid::onDatasetCurrentChanged()
{
    const int row = m_dataset && m_dataset->isActive() ? m_dataset->recNo() : -1;
    m_proxy->setCurrentSourceRow(row);
    invalidateFooter();
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = m_view->currentIndex();
    const QList<int> visible = visibleColumns();
    const int column = current.isValid() ? current.column() : (visible.isEmpty() ? 0 : visible.first());
    const QModelIndex target = viewIndex(row, column);
    if (target.isValid() && target.row() != current.row())
        m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
}

void DataGrid::updateCurrentRowBrush()
{
    if (m_wholeRowHighlight) {
        m_proxy->setCurrentRowBrush(palette().highlight(), palette().highlightedText());
        return;
    }
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlpha(48);
    m_proxy->setCurrentRowBrush(tint);
}

void DataGrid::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        updateCurrentRowBrush();
    QWidget::changeEvent(event);
}

void DataGrid::syncScrollBar()
{
    const QScrollBar *own = m_view->horizontalScrollBar();
    m_scrollBar->setRange(own->minimum(), own->maximum());
    m_scrollBar->setPageStep(own->pageStep());
    m_scrollBar->setSingleStep(own->singleStep());
    m_scrollBar->setValue(own->value());
    m_scrollBar->setVisible(own->maximum() > own->minimum());
}

// --- Keys ---------------------------------------------------------------------------------------------------

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (event->type() == QEvent::KeyPress && groupKey(key))
        return true;
    const bool copy =
        key->matches(QKeySequence::Copy) || (key->key() == Qt::Key_Insert && key->modifiers() == Qt::ControlModifier);
    const bool all = key->matches(QKeySequence::SelectAll);
    if (!copy && !all)
        return QWidget::eventFilter(watched, event);
    // The grid's own keys win over window shortcuts on the same keys.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        if (copy)
            copySelection();
        else
            selectAll();
    }
    return true;
}

} // namespace quotaly::ui
