#include "TfMatchResults.h"

#include "ui_TfMatchResults.h"

#include "ReportGridAdapter.h"
#include "TfExportReport.h"
#include "app/TDM.h"
#include "dataset/Error.h"
#include "ui/DataGrid.h"
#include "ui/DbLookupComboBox.h"
#include "ui/Dialogs.h"
#include "ui/FormStorage.h"

#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <tuple>

// Resources of a static library have to be pulled in by name, and only from the global namespace.
static void initReportResources()
{
    Q_INIT_RESOURCE(reports);
}

namespace quotaly {

namespace {
const QString kAddNewClient = QStringLiteral("<-- Add new client -->");

// The desktop theme's icon, else the one shipped with the program.
QIcon themeIcon(const QString &name)
{
    return QIcon::fromTheme(name, QIcon(QStringLiteral(":/quotaly/reports/icons/%1.svg").arg(name)));
}
} // namespace

TfMatchResults::TfMatchResults(TDM *dm, TfExportReport *exportDialog, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfMatchResults>()), m_dm(dm), m_exportDialog(exportDialog)
{
    initReportResources();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    const std::tuple<QToolButton *, QAction *, const char *> commands[] = {
        {m_ui->btnSelectAll, m_ui->Selectall1, "edit-select-all"},
        {m_ui->btnCopy, m_ui->Copy1, "edit-copy"},
        {m_ui->btnExportExcel, m_ui->ExportreporttoExcel1, "x-office-spreadsheet"},
        {m_ui->btnExportWord, m_ui->Exportreporttoword1, "x-office-document"},
        {m_ui->btnPrint, m_ui->Printreport1, "document-print"}};
    for (const auto &[button, action, icon] : commands) {
        action->setIcon(themeIcon(QString::fromLatin1(icon)));
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    connect(m_ui->Selectall1, &QAction::triggered, this, &TfMatchResults::Selectall1Click);
    connect(m_ui->Copy1, &QAction::triggered, this, &TfMatchResults::Copy1Click);
    connect(m_ui->ExportreporttoExcel1, &QAction::triggered, this, &TfMatchResults::ExportreporttoExcel1Click);
    connect(m_ui->Exportreporttoword1, &QAction::triggered, this, &TfMatchResults::Exportreporttoword1Click);
    connect(m_ui->Printreport1, &QAction::triggered, this, &TfMatchResults::Printreport1Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TfMatchResults::Button2Click);

    m_ui->dbgResults->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->dbgResults, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_ui->PopupMenu1->popup(m_ui->dbgResults->mapToGlobal(pos)); });

    m_ui->lcClient->setSortDeferredUntilShown(true); // the main window's box is the one shown at start
    m_ui->lcClient->setListSource(dm->Clients, QStringLiteral("FULLNAME"), {QStringLiteral("FULLNAME")});
    m_ui->lcClient->setEmptyEntry(kAddNewClient);
    m_ui->lcClient->setDropDownRows(8);
    m_ui->lcClient->setMinimumWidth(220);
    connect(m_ui->lcClient, &ui::DbLookupComboBox::changed, this, [this] {
        if (!m_showingClient)
            lcClientChange();
    });

    configureReportGrid(*m_ui->dbgResults, dm->tmpMatches);
    fitToColumns();
}

TfMatchResults::~TfMatchResults() = default;

ui::DataGrid *TfMatchResults::dbgResults() const
{
    return m_ui->dbgResults;
}

ui::DbLookupComboBox *TfMatchResults::lcClient() const
{
    return m_ui->lcClient;
}

void TfMatchResults::setHeaderValues(const QString &statTotal, const QString &units, const QString &baseRate,
                                     const QString &currency)
{
    m_ui->eStatTotal->setText(statTotal);
    m_ui->eUnits->setText(units);
    m_ui->eBaseRate->setText(baseRate);
    m_ui->eCurrency->setText(currency);
}

QString TfMatchResults::caption(const QWidget *captionEdit) const
{
    // The captions carry leading blanks for their on-form layout; every use trims them on the left.
    QString text = static_cast<const QLineEdit *>(captionEdit)->text();
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return text.mid(i);
}

ReportHeader TfMatchResults::header() const
{
    ReportHeader h;
    h.statTotal = m_ui->eStatTotal->text();
    h.units = m_ui->eUnits->text();
    h.baseRate = m_ui->eBaseRate->text();
    h.currency = m_ui->eCurrency->text();
    h.statTotalCaption = caption(m_ui->lblStatTotal);
    h.unitsCaption = caption(m_ui->lblUnits);
    h.baseRateCaption = caption(m_ui->lblBaseRate);
    return h;
}

void TfMatchResults::setReportColumns(bool wordsMode, const QString &unitsTitle)
{
    ui::DataGrid *grid = m_ui->dbgResults;
    grid->setColumnVisible(QStringLiteral("MatchValue"), !wordsMode);
    if (!wordsMode)
        grid->setColumnTitle(QStringLiteral("MatchValue"), QStringLiteral("Percent"));
    grid->setColumnTitle(QStringLiteral("Units"), unitsTitle);
    fitToColumns();
}

void TfMatchResults::fitToColumns()
{
    fitReportColumns(*m_ui->dbgResults);
    // A fixed 581 x 312, wider only when the columns need more in the font in use, so that no title or amount
    // hides behind a scroll bar.
    QTableView *view = m_ui->dbgResults->view();
    const QMargins margins = layout()->contentsMargins();
    const int columns = view->horizontalHeader()->length() + view->verticalScrollBar()->sizeHint().width() +
                        2 * view->frameWidth() + margins.left() + margins.right();
    setFixedSize(std::max({581, columns, layout()->minimumSize().width()}),
                 std::max(312, layout()->minimumSize().height()));
}

void TfMatchResults::showEvent(QShowEvent *event)
{
    ui::centreOnScreen(this);
    QDialog::showEvent(event);
}

void TfMatchResults::showClient(const QString &name)
{
    m_showingClient = true;
    m_ui->lcClient->setText(name);
    m_showingClient = false;
}

void TfMatchResults::Selectall1Click()
{
    m_ui->dbgResults->setFocus();
    m_ui->dbgResults->selectAll();
}

void TfMatchResults::Copy1Click()
{
    const QString block = reportHeaderBlock(header());
    m_ui->dbgResults->setFocus();
    m_ui->dbgResults->copySelection(block);
}

void TfMatchResults::ExportreporttoExcel1Click()
{
    exportTo(ReportExportRequest::Target::Spreadsheet);
}

void TfMatchResults::Exportreporttoword1Click()
{
    exportTo(ReportExportRequest::Target::WordProcessor);
}

void TfMatchResults::exportTo(ReportExportRequest::Target target)
{
    if (m_exportDialog->exec() != QDialog::Accepted)
        return;
    const ReportHeader h = header();
    ReportExportRequest request;
    request.target = target;
    request.statTotal = h.statTotal;
    request.statTotalCaption = h.statTotalCaption + QStringLiteral(" : ");
    request.units = h.units;
    request.unitsCaption = h.unitsCaption + QStringLiteral(" : ");
    request.baseRate = h.baseRate;
    request.baseRateCaption = h.baseRateCaption + QStringLiteral(" : ");
    request.newFile = m_exportDialog->newFile();
    if (exportReport)
        exportReport(request);
}

void TfMatchResults::Printreport1Click()
{
    const ReportHeader h = header();
    m_ui->dbgResults->setPageHeader({h.statTotalCaption + QStringLiteral(": ") + h.statTotal,
                                     h.unitsCaption + QStringLiteral(": ") + h.units,
                                     h.baseRateCaption + QStringLiteral(": ") + h.baseRate + u' ' + h.currency});
    m_ui->dbgResults->printPreview(this);
}

void TfMatchResults::addClientThroughForm()
{
    m_dm->Clients->append();
    if (showClientForm)
        showClientForm();
    else
        m_dm->Clients->cancel();
}

void TfMatchResults::lcClientChange()
{
    try {
        if (m_dm->MatchesByClient->isEditing())
            m_dm->MatchesByClient->post();
        if (m_ui->lcClient->text() == kAddNewClient)
            addClientThroughForm();
        if (setMainClient && m_dm->Clients->isActive())
            setMainClient(m_dm->Clients->asString(QStringLiteral("FULLNAME")));
        if (recalculate)
            recalculate();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text());
    }
}

void TfMatchResults::Button2Click()
{
    if (!m_dm->tmpMatches->isActive())
        return;
    if (m_ui->lcClient->text() == kAddNewClient)
        addClientThroughForm();
    if (!createInvoice)
        return;
    createInvoice();
    accept();
}

} // namespace quotaly
