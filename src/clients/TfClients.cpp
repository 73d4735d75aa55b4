#include "TfClients.h"

#include "ui_TfClients.h"

#include "TfImport.h"
#include "app/TDM.h"
#include "clients/Biff4Writer.h"
#include "clients/ClientList.h"
#include "clients/ExportFile.h"
#include "dataset/DisplayFormat.h"
#include "dataset/Error.h"
#include "ui/DataGrid.h"
#include "ui/GridColumnComponent.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QTableView>

namespace quotaly {

namespace {

const QString kExportFilter = QStringLiteral("Comma separated file (*.csv)|*.csv|Text file (with \"Tab\" delimiter) - "
                                             "*.txt|*.txt|HTML File - *.htm|*.htm; *html|Excel document - *.xls|*.xls");

QList<QPair<QString, Qt::SortOrder>> allColumnsAscending()
{
    QList<QPair<QString, Qt::SortOrder>> order;
    for (const QString &field : clientListFields())
        order.append({field, Qt::AscendingOrder});
    return order;
}

} // namespace

TfClients::TfClients(TDM *dm, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfClients>()), m_dm(dm),
      m_placement(this, QStringLiteral("Clients"))
{
    m_ui->setupUi(this);
    FormCreate();
}

TfClients::~TfClients() = default;

ui::DataGrid *TfClients::grid() const
{
    return m_ui->dxDBGrid1;
}

void TfClients::FormCreate()
{
    m_exportFilter = substituteListSeparator(kExportFilter, listSeparator(QLocale()));

    ui::DataGrid *grid = m_ui->dxDBGrid1;
    const QStringList fields = clientListFields();
    grid->setDataset(m_dm->Clients, fields);
    grid->setReadOnly(true);
    // Widths that show a typical value of each column; the field sizes would make every column very wide.
    const std::pair<const char *, int> widths[] = {
        {"FULLNAME", 200}, {"VATNo", 110}, {"AddressLine1", 150}, {"AddressLine2", 130}, {"AddressLine3", 110},
        {"Tel", 110},      {"Fax", 110},   {"EMail", 190},        {"www", 170},          {"Additional1", 100},
        {"Additional2", 100}};
    for (const auto &[field, width] : widths)
        grid->setColumnWidth(QString::fromLatin1(field), width);
    // The columns as named components, so that a language file can give each its own title.
    QList<std::pair<QString, QString>> columns;
    for (const QString &field : fields) {
        const qsizetype n = columns.size() + 1;
        columns.append({field, n >= 10 ? QStringLiteral("dxDBGrid1Column%1").arg(n) : QStringLiteral("dxDBGrid1") + field});
    }
    ui::GridColumnComponent::nameColumns(grid, columns);
    grid->setFooterCount(QStringLiteral("FULLNAME"), QStringLiteral("0 Clients"));
    grid->setKeyField(QStringLiteral("FULLNAME"));
    grid->setRowSelect(true);
    grid->setSortingEnabled(true);
    grid->setIncrementalSearchEnabled(true);
    grid->setColumnFilterEnabled(true);
    grid->setGroupPanelVisible(true);
    applyInitialSort();
    grid->view()->installEventFilter(this);
    connect(grid->view(), &QAbstractItemView::doubleClicked, this, [this] { btnEditClick(); });

    // The button bar must fit the narrowest window: let the buttons shrink to their text.
    for (QPushButton *button : {m_ui->btnNew, m_ui->btnEdit, m_ui->tnDelete, m_ui->btnClearAll, m_ui->tnImport,
                                m_ui->btnExport, m_ui->btnClose})
        button->setMinimumWidth(std::min(button->sizeHint().width(), 64));
    m_ui->buttonLayout->setSpacing(4);
    resize(720, 327);
    setMinimumSize(720, 300);

    connect(m_ui->btnNew, &QPushButton::clicked, this, &TfClients::btnNewClick);
    connect(m_ui->btnEdit, &QPushButton::clicked, this, &TfClients::btnEditClick);
    connect(m_ui->tnDelete, &QPushButton::clicked, this, &TfClients::tnDeleteClick);
    connect(m_ui->btnClearAll, &QPushButton::clicked, this, &TfClients::btnClearAllClick);
    connect(m_ui->tnImport, &QPushButton::clicked, this, &TfClients::tnImportClick);
    connect(m_ui->btnExport, &QPushButton::clicked, this, &TfClients::btnExportClick);
    connect(m_ui->btnCheckDupl, &QPushButton::clicked, this, &TfClients::btnCheckDuplClick);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &TfClients::btnCloseClick);
}

void TfClients::applyInitialSort()
{
    m_ui->dxDBGrid1->setSortOrder(allColumnsAscending());
}

// --- Buttons ---------------------------------------------------------------------------------------------------

void TfClients::btnNewClick()
{
    openClientForm(&Dataset::insert);
}

void TfClients::btnEditClick()
{
    openClientForm(&Dataset::edit);
}

void TfClients::openClientForm(void (Dataset::*start)())
{
    try {
        (m_dm->Clients->*start)();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
        return;
    }
    if (showClientForm)
        showClientForm();
}

void TfClients::tnDeleteClick()
{
    const QList<int> rows = m_ui->dxDBGrid1->selectedDatasetRows();
    if (ui::dialogs().question(this, deleteRowsQuestion(int(rows.size()))))
        deleteClientRows(*m_dm->Clients, rows);
}

void TfClients::deleteSelectedRows()
{
    deleteClientRows(*m_dm->Clients, m_ui->dxDBGrid1->selectedDatasetRows());
}

void TfClients::btnClearAllClick()
{
    if (!ui::dialogs().question(this, clearAllQuestion()))
        return;
    try {
        m_dm->Clients->emptyDataSet();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
}

void TfClients::tnImportClick()
{
    TfImport import(m_dm, this);
    import.exec();
}

void TfClients::btnExportClick()
{
    const ui::Dialogs::FileChoice choice =
        ui::dialogs().saveFile(this, QString(), m_exportFileName, m_exportFilter, m_exportFilterIndex);
    if (choice.fileName.isEmpty())
        return;
    m_exportFilterIndex = std::clamp(choice.filterIndex, 0, 3);
    const auto format = static_cast<ExportFormat>(m_exportFilterIndex);
    QString fileName = choice.fileName;
    if (!QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        fileName += exportExtension(format);
    // The dialog asked about the name as typed; the name with its extension may be another, existing file.
    if (fileName != choice.fileName && QFileInfo::exists(fileName) &&
        !ui::dialogs().question(this, replaceFileQuestion(fileName)))
        return;
    m_exportFileName = fileName;

    ExportTable table = m_ui->dxDBGrid1->exportTable();
    table.title = windowTitle();
    if (format == ExportFormat::Excel) {
        const int unkept = biff4UnkeptValues(table);
        if (unkept > 0 && !ui::dialogs().question(this, excelUnkeptValuesQuestion(unkept)))
            return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        writeExportFile(fileName, format, table);
        QApplication::restoreOverrideCursor();
    } catch (const Error &e) {
        QApplication::restoreOverrideCursor();
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
}

void TfClients::btnCheckDuplClick()
{
    ui::DataGrid *grid = m_ui->dxDBGrid1;
    Dataset *clients = m_dm->Clients;
    if (!clients->isActive() || clients->isEmpty())
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid->setWholeRowHighlight(true);
    applyInitialSort();
    const QList<int> rows = grid->displayedDatasetRows();
    const QStringList fields = clientListFields();
    QList<QStringList> texts;
    texts.reserve(rows.size());
    for (int row : rows)
        texts.append(grid->displayTexts(row, fields));
    QList<int> duplicates;
    for (int position : findDuplicateRows(texts))
        duplicates.append(rows.at(position));

    if (!rows.isEmpty())
        grid->setCurrentDatasetRow(duplicates.isEmpty() ? rows.first() : duplicates.first());
    grid->setWholeRowHighlight(false);
    grid->clearSelection();
    grid->selectDatasetRows(duplicates);
    QApplication::restoreOverrideCursor();

    if (duplicates.isEmpty()) {
        ui::dialogs().message(this, noDuplicatesMessage());
        return;
    }
    if (ui::dialogs().question(this, duplicatesQuestion(int(grid->selectedDatasetRows().size()))))
        deleteSelectedRows();
}

void TfClients::btnCloseClick()
{
    try {
        Dataset *clients = m_dm->Clients;
        clients->requireActive(); // a list that could not be loaded must not overwrite its file with nothing
        clients->checkBrowseMode();
        clients->saveToFile();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
    accept();
}

// --- Keys ------------------------------------------------------------------------------------------------------

bool TfClients::FormKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    if (ui::dialogs().question(this, closeWindowQuestion()))
        reject();
    return true;
}

bool TfClients::dxDBGrid1KeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Delete)
        return false;
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    btnCloseClick();
    // The grid's own deletion of the current row still follows with Ctrl, after the list was saved.
    if (ctrl && m_dm->Clients->isActive() && !m_dm->Clients->isEmpty()
        && ui::dialogs().question(this, QStringLiteral("Delete record?"))) {
        try {
            m_dm->Clients->deleteRecord();
        } catch (const Error &e) {
            ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
        }
    }
    return true;
}

bool TfClients::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == m_ui->dxDBGrid1->view()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (FormKeyDown(key) || dxDBGrid1KeyDown(key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfClients::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyDown(event))
        QDialog::keyPressEvent(event);
}

// --- Placement -------------------------------------------------------------------------------------------------

void TfClients::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placed = true;
        ui::centreOnScreen(this);
        m_placement.restore();
    }
    QDialog::showEvent(event);
    m_ui->dxDBGrid1->view()->setFocus();
}

void TfClients::done(int result)
{
    m_placement.save();
    QDialog::done(result);
}

} // namespace quotaly
