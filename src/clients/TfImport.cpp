#include "TfImport.h"

#include "ui_TfImport.h"

#include "app/TDM.h"
#include "clients/ClientImportParser.h"
#include "clients/ClientImporter.h"
#include "dataset/DisplayFormat.h"
#include "dataset/Error.h"
#include "ui/DataGrid.h"
#include "ui/DatasetTableModel.h"
#include "ui/GridProxyModel.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

namespace quotaly {

namespace {

constexpr int kFieldCount = 11;
constexpr int kIndicatorWidth = 15;
const int kSectionWidths[kFieldCount + 1] = {kIndicatorWidth, 155, 46, 155, 155, 155, 59, 59, 95, 95, 125, 125};
const QString kOpenFilter = QStringLiteral("Comma separated file (*.csv; *.txt)|*.csv; *.txt");

} // namespace

TfImport::TfImport(TDM *dm, QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfImport>()), m_dm(dm)
{
    m_ui->setupUi(this);
    FormCreate();
}

TfImport::~TfImport() = default;

QHeaderView *TfImport::headerControl() const
{
    return m_ui->HeaderControl1;
}

void TfImport::FormCreate()
{
    m_delimiter = listSeparator(QLocale());
    setWindowTitle(QStringLiteral("Import clients list"));

    // The header shows the client fields; the data columns are dragged under them.
    const Dataset *clients = m_dm->Clients;
    QStringList labels{QString()};
    for (int i = 0; i < kFieldCount; ++i)
        labels << (i < clients->fieldCount() ? clients->field(i).label() : QString());
    m_ui->HeaderControl1->setSections(labels, QList<int>(std::begin(kSectionWidths), std::end(kSectionWidths)));

    ui::DataGrid *grid = m_ui->DBGridEh1;
    grid->setDataset(m_dm->dxImportData);
    grid->setReadOnly(false);
    QTableView *view = grid->view();
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->verticalHeader()->setVisible(true);
    view->verticalHeader()->setFixedWidth(kIndicatorWidth - 1);
    QHeaderView *titles = view->horizontalHeader();
    titles->setSectionsMovable(true);
    titles->setToolTip(QStringLiteral("To rearrange the columns drag a lower column header"));
    QPalette palette = titles->palette();
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::Window));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Window));
    titles->setPalette(palette);
    for (int i = 0; i < kFieldCount; ++i)
        view->setColumnWidth(i, kSectionWidths[i + 1] - 1);
    grid->setVisible(false);
    m_ui->lblNoData->setMinimumSize(420, 140);

    m_ui->bLoadFile->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_ui->bLoadFile->setIconSize(QSize(16, 16));
    m_ui->bLoadFile->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_ui->bPrev->setEnabled(false);
    m_ui->bNext->setEnabled(true);
    m_ui->eOtherDelimiter->setEnabled(false);

    connect(m_ui->bLoadFile, &QToolButton::clicked, this, &TfImport::bLoadFileClick);
    connect(m_ui->cbUDD, &QCheckBox::clicked, this, &TfImport::cbUDDClick);
    connect(m_ui->eOtherDelimiter, &QLineEdit::textChanged, this, &TfImport::cbUDDClick);
    connect(m_ui->eFileName, &QLineEdit::returnPressed, this, &TfImport::LoadImportFile);
    connect(m_ui->bPrev, &QPushButton::clicked, this, &TfImport::bPrevClick);
    connect(m_ui->bNext, &QPushButton::clicked, this, &QDialog::reject);
    connect(titles, &QHeaderView::sectionMoved, this, [this] { AlignHeaderToColumns(); });
    connect(titles, &QHeaderView::sectionResized, this, [this] { AlignHeaderToColumns(); });
    connect(m_ui->HeaderControl1, &QHeaderView::sectionResized, this, &TfImport::HeaderControl1SectionResize);
    connect(m_dm->dxImportData, &Dataset::stateChanged, this, &TfImport::followImportData);
    connect(m_dm->dxImportData, &Dataset::layoutReset, this, &TfImport::followImportData);
    connect(view->selectionModel(), &QItemSelectionModel::currentColumnChanged, this,
            [this](const QModelIndex &current) { DBGridEh1ColEnter(current.column()); });

    setFixedSize(461, 290);
    AlignHeaderToColumns();
}

// --- Loading ---------------------------------------------------------------------------------------------------

void TfImport::bLoadFileClick()
{
    const QString fileName = ui::dialogs().openFileName(this, QStringLiteral("Open file with clients information"),
                                                        m_ui->eFileName->text(),
                                                        ui::qtFileFilters(substituteListSeparator(
                                                                              kOpenFilter, listSeparator(QLocale())))
                                                                .join(QStringLiteral(";;"))
                                                            + QStringLiteral(";;All files (*)"));
    if (fileName.isEmpty())
        return;
    m_ui->eFileName->setText(fileName);
    cbUDDClick();
}

void TfImport::cbUDDClick()
{
    const bool userDefined = m_ui->cbUDD->isChecked();
    m_ui->eOtherDelimiter->setEnabled(userDefined);
    if (userDefined) {
        const QString text = m_ui->eOtherDelimiter->text();
        m_delimiter = text.isEmpty() ? QLatin1Char(' ') : text.at(0);
    } else {
        m_delimiter = listSeparator(QLocale());
    }
    LoadImportFile();
}

void TfImport::LoadImportFile()
{
    const QString fileName = m_ui->eFileName->text();
    if (fileName.isEmpty())
        return;
    Dataset *importData = m_dm->dxImportData;
    importData->close();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const QStringList lines = readImportFileLines(fileName);
        const std::optional<QChar> chosen = m_ui->cbUDD->isChecked() ? std::optional<QChar>(m_delimiter) : std::nullopt;
        const ClientImportText text = parseClientImport(lines, chosen);
        m_delimiter = text.delimiter;
        fillImportData(*importData, text);
        QApplication::restoreOverrideCursor();
    } catch (const Error &e) {
        QApplication::restoreOverrideCursor();
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
    followImportData();
}

void TfImport::followImportData()
{
    if (m_dm->dxImportData->isActive())
        dxImportDataAfterOpen();
    else
        dxImportDataAfterClose();
}

void TfImport::dxImportDataAfterOpen()
{
    m_ui->bPrev->setEnabled(true);
    m_ui->DBGridEh1->setVisible(true);
    m_ui->lblNoData->setVisible(false);
    AlignHeaderToColumns();
}

void TfImport::dxImportDataAfterClose()
{
    m_ui->bPrev->setEnabled(false);
    m_ui->DBGridEh1->setVisible(false);
    m_ui->lblNoData->setVisible(true);
}

// --- Header and columns ----------------------------------------------------------------------------------------

QList<int> TfImport::columnsInDisplayOrder() const
{
    const QHeaderView *titles = m_ui->DBGridEh1->view()->horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < titles->count(); ++visual)
        columns.append(titles->logicalIndex(visual));
    return columns;
}

void TfImport::AlignHeaderToColumns()
{
    if (m_aligning)
        return;
    m_aligning = true;
    QTableView *view = m_ui->DBGridEh1->view();
    const QList<int> columns = columnsInDisplayOrder();
    int total = 0;
    for (int column : columns)
        total += view->columnWidth(column);
    const int width = total + 45;
    if (m_dm->dxImportData->isActive())
        m_ui->DBGridEh1->setFixedWidth(width);
    m_ui->HeaderControl1->setFixedWidth(std::max(width, m_ui->HeaderControl1->length()));
    for (int section = 1; section <= kFieldCount && section - 1 < columns.size(); ++section)
        m_ui->HeaderControl1->resizeSection(section, view->columnWidth(columns.at(section - 1)) + 1);
    fitScrollContents();
    m_aligning = false;
}

void TfImport::fitScrollContents()
{
    // The box scrolls sideways only: its contents are as high as the box and as wide as the header.
    m_ui->HeaderControl1->setFixedHeight(m_ui->HeaderControl1->sizeHint().height());
    const int width = std::max({m_ui->HeaderControl1->width(), m_ui->lblNoData->minimumWidth(),
                                m_ui->DBGridEh1->isVisible() ? m_ui->DBGridEh1->width() : 0});
    m_ui->ScrollBox1Contents->resize(width, m_ui->ScrollBox1->viewport()->height());
}

void TfImport::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitScrollContents();
}

void TfImport::HeaderControl1SectionResize(int section, int, int newSize)
{
    if (m_aligning || section < 1)
        return;
    const QList<int> columns = columnsInDisplayOrder();
    if (section - 1 < columns.size())
        m_ui->DBGridEh1->view()->setColumnWidth(columns.at(section - 1), std::max(1, newSize - 1));
}

void TfImport::DBGridEh1ColEnter(int column)
{
    if (column < 0)
        return;
    QTableView *view = m_ui->DBGridEh1->view();
    const int left = view->horizontalHeader()->sectionPosition(column) + view->verticalHeader()->width();
    m_ui->ScrollBox1->horizontalScrollBar()->setValue(left);
}

// --- Import ----------------------------------------------------------------------------------------------------

void TfImport::bPrevClick()
{
    Dataset *importData = m_dm->dxImportData;
    if (!importData->isActive())
        return;
    try {
        importData->checkBrowseMode();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
        return;
    }
    const auto *model = m_ui->DBGridEh1->proxyModel()->tableModel();
    QList<int> fields;
    for (int column : columnsInDisplayOrder())
        fields.append(model->fieldIndex(column));
    QList<QStringList> rows;
    rows.reserve(importData->recordCount());
    for (int row = 0; row < importData->recordCount(); ++row) {
        QStringList texts;
        for (int i = 0; i < kFieldCount; ++i)
            texts.append(i < fields.size() && fields.at(i) >= 0 ? importData->valueAt(row, fields.at(i)).toString()
                                                                 : QString());
        rows.append(texts);
    }

    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The client list's grid takes the new rows in one go at the end instead of re-sorting after every row.
    m_dm->Clients->disableControls();
    ClientImportResult result;
    try {
        result = importClients(*m_dm->Clients, rows, [](int, int) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    } catch (const Error &e) {
        result.summary = e.text();
    }
    m_dm->Clients->enableControls();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    ui::dialogs().message(this, result.summary);
}

} // namespace quotaly
