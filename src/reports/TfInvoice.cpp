#include "TfInvoice.h"

#include "ui_TfInvoice.h"

#include "ReportGridAdapter.h"
#include "TfMatchResults.h"
#include "app/TDM.h"
#include "office/OfficeSuite.h"
#include "ui/DataGrid.h"
#include "ui/DbEdit.h"

#include <algorithm>

#include <QCalendarWidget>
#include <QCollator>
#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidgetAction>

namespace quotaly {

namespace {

struct Binding
{
    const char *edit;
    const char *field;
};

const Binding kPersonalFields[] = {
    {"DBEdit1", "FULLNAME"},       {"DBEdit2", "VATNo"},          {"DBEdit3", "AddressLine1"},
    {"DBEdit4", "AddressLine2"},   {"DBEdit5", "AddressLine3"},   {"DBEdit6", "Additional1"},
    {"DBEdit7", "Additional2"},    {"DBEdit19", "BankDataLine1"}, {"DBEdit20", "BankDataLine2"},
    {"DBEdit21", "BankDataLine3"}, {"DBEdit22", "BankDataLine4"}, {"DBEdit23", "BankDataLine5"},
    {"DBEdit24", "BankDataLine6"},
};

const Binding kClientFields[] = {
    {"DBEdit8", "FULLNAME"},      {"DBEdit9", "VATNo"},         {"DBEdit10", "AddressLine1"},
    {"DBEdit11", "AddressLine2"}, {"DBEdit12", "AddressLine3"}, {"DBEdit13", "Tel"},
    {"DBEdit14", "Fax"},          {"DBEdit15", "EMail"},        {"DBEdit16", "www"},
    {"DBEdit17", "Additional1"},  {"DBEdit18", "Additional2"},
};

QString shortDate(const QDate &date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

} // namespace

TfInvoice::TfInvoice(TDM *dm, TfMatchResults *report, const QString &dataDir, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfInvoice>()), m_dm(dm), m_report(report), m_dataDir(dataDir),
      m_placement(this, QStringLiteral("Invoice params"))
{
    m_ui->setupUi(this);

    QPalette page = palette();
    page.setColor(QPalette::Window, Qt::white);
    setPalette(page);
    setAutoFillBackground(true);
    m_ui->pgInvoice->setAutoFillBackground(true);

    bindFields();
    setUpDates();
    m_ui->dxPrice->hide();
    m_ui->lblPrice->hide();
    configureReportGrid(*m_ui->dbgResults, dm->tmpMatches);

    connect(m_ui->bPrintDoc, &QPushButton::clicked, this, &TfInvoice::bPrintDocClick);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TfInvoice::Button2Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->SpeedButton1, &QToolButton::clicked, this, &TfInvoice::SpeedButton1Click);
    m_ui->ScrollBox1->viewport()->installEventFilter(this);
    m_ui->pnlButtons->installEventFilter(this);

    resize(659, 493);
}

QSize TfInvoice::fittedSize() const
{
    // Large enough to show the whole page without scrolling where the screen has room for it.
    ensurePolished();
    const QSize page = m_ui->pgInvoice->sizeHint();
    const int scrollBar = m_ui->ScrollBox1->verticalScrollBar()->sizeHint().width();
    QSize wanted(std::max(659, page.width() + scrollBar),
                 std::max(493, page.height() + m_ui->pnlButtons->maximumHeight()));
    if (const QScreen *shown = screen()) {
        // The window manager's title bar and borders come on top.
        wanted = wanted.boundedTo(shown->availableGeometry().size() - QSize(16, 48));
    }
    return wanted;
}

TfInvoice::~TfInvoice() = default;

void TfInvoice::bindFields()
{
    for (const Binding &b : kPersonalFields)
        findChild<ui::DbEdit *>(QString::fromLatin1(b.edit))->setBinding(m_dm->Personal, QString::fromLatin1(b.field));
    for (const Binding &b : kClientFields)
        findChild<ui::DbEdit *>(QString::fromLatin1(b.edit))->setBinding(m_dm->Clients, QString::fromLatin1(b.field));
}

void TfInvoice::setUpDates()
{
    const QLocale system = QLocale::system();
    m_ui->dxInvoiceDate->setLocale(system);
    m_ui->dxInvoiceDate->setDisplayFormat(system.dateFormat(QLocale::ShortFormat));
    m_ui->dxInvoiceDate->setDate(QDate::currentDate());
    connect(m_ui->btnToday, &QToolButton::clicked, this,
            [this] { m_ui->dxInvoiceDate->setDate(QDate::currentDate()); });

    // Only the picker's drop-down button shows; the calendar opens on today each time.
    auto *menu = new QMenu(m_ui->dxPaymentDue);
    m_dueCalendar = new QCalendarWidget(menu);
    m_dueCalendar->setObjectName(QStringLiteral("dxPaymentDueCalendar"));
    m_dueCalendar->setLocale(system);
    m_dueCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto *calendar = new QWidgetAction(menu);
    calendar->setDefaultWidget(m_dueCalendar);
    menu->addAction(calendar);
    connect(m_ui->dxPaymentDue, &QToolButton::clicked, menu,
            [this, menu] { menu->popup(m_ui->dxPaymentDue1->mapToGlobal(QPoint(0, m_ui->dxPaymentDue1->height()))); });
    connect(menu, &QMenu::aboutToShow, this, [this] { m_dueCalendar->setSelectedDate(QDate::currentDate()); });
    auto picked = [this, menu](QDate date) {
        menu->close();
        dxPaymentDueChange(date);
    };
    connect(m_dueCalendar, &QCalendarWidget::clicked, this, picked);
    connect(m_dueCalendar, &QCalendarWidget::activated, this, picked);
}

void TfInvoice::setReportValues(const QString &unit, const QString &baseRate, const QDate &invoiceDate)
{
    m_ui->dxUnit->setText(unit);
    m_ui->dxPrice->setText(baseRate);
    m_ui->dxInvoiceDate->setDate(invoiceDate);
}

ui::DataGrid *TfInvoice::dbgResults() const
{
    return m_ui->dbgResults;
}

QString TfInvoice::templateFile() const
{
    const QString language = m_ui->cbInvLang->currentText();
    return m_dataDir + (language.isEmpty() ? m_baseLanguage : language) + QStringLiteral(".rtf");
}

void TfInvoice::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placed = true;
        resize(fittedSize());
        ui::centreOnScreen(this);
        m_placement.restore();
    }
    fitReportColumns(*m_ui->dbgResults);
    FormShow();
    QDialog::showEvent(event);
}

void TfInvoice::done(int result)
{
    m_placement.save();
    QDialog::done(result);
}

void TfInvoice::FormShow()
{
    QStringList languages;
    const QStringList files =
        QDir(m_dataDir).entryList({QStringLiteral("*.rtf")}, QDir::Files | QDir::Hidden | QDir::System);
    for (QString name : files) {
        // Only the lower-case extension goes: "Notes.RTF" keeps its own.
        const qsizetype at = name.indexOf(QStringLiteral(".rtf"));
        if (at >= 0)
            name.remove(at, 4);
        languages << name;
    }
    QCollator order;
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(languages.begin(), languages.end(), order);

    m_ui->cbInvLang->clear();
    m_ui->cbInvLang->addItems(languages);
    if (languages.isEmpty())
        m_ui->cbInvLang->setEditText({});
    else
        m_ui->cbInvLang->setCurrentIndex(0);
    m_ui->dxInvoiceNo->setFocus();
}

void TfInvoice::bPrintDocClick()
{
    BuildInvoice(templateFile(), true);
}

void TfInvoice::Button2Click()
{
    BuildInvoice(templateFile(), false);
}

void TfInvoice::SpeedButton1Click()
{
    if (showClients)
        showClients();
}

void TfInvoice::dxPaymentDueChange(const QDate &picked)
{
    if (!isVisible())
        return;
    const QDate date = picked.isValid() ? picked : QDate::currentDate();
    m_ui->dxPaymentDue1->setText(m_ui->dxPaymentDue1->text() + u' ' + shortDate(date));
    m_ui->dxPaymentDue1->setFocus();
}

void TfInvoice::FormMouseWheel(int delta)
{
    QScrollBar *bar = m_ui->ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() - delta);
}

bool TfInvoice::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        FormMouseWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

InvoiceInput TfInvoice::invoiceInput()
{
    // Text typed into a bound edit goes into its record first, as leaving the edit would do.
    m_dm->Personal->updateRecord();
    m_dm->Clients->updateRecord();

    InvoiceInput in;
    in.personal = invoiceParty(*m_dm->Personal);
    in.bankData = invoiceBankData(*m_dm->Personal);
    in.client = invoiceParty(*m_dm->Clients);

    in.invoiceNo = m_ui->dxInvoiceNo->text();
    in.invoiceDate = m_ui->dxInvoiceDate->text();
    in.paymentDueCaption = m_ui->lblPaymentDue->text();
    in.paymentDue = m_ui->dxPaymentDue1->text();
    in.jobDescription = m_ui->dxMaskEdit2->text();
    in.purchaseOrderNo = m_ui->dxMaskEdit4->text();
    in.projectManager = m_ui->dxMaskEdit3->text();
    in.comments = invoiceCommentLines(m_ui->mComment->toPlainText());
    in.unit = m_ui->dxUnit->text();
    in.baseRate = m_ui->dxPrice->text();

    ui::DataGrid *reportGrid = m_report ? m_report->dbgResults() : m_ui->dbgResults;
    in.report = displayedReport(*reportGrid);
    // The table goes to the word processor directly, so the user's clipboard stays as it was.
    if (m_report)
        in.clearReportSelection = [reportGrid] { reportGrid->clearSelection(); };
    return in;
}

void TfInvoice::BuildInvoice(const QString &templateFile, bool printMode)
{
    InvoiceInput input = invoiceInput();
    input.templateFile = templateFile;
    input.printMode = printMode;
    const office::Outcome outcome = runOfficeCommand(this, [&] {
        const std::unique_ptr<office::WordProcessor> word = officeSuiteFrom(officeSuite).wordProcessor();
        return InvoiceBuilder(*word).BuildInvoice(input);
    });
    // The next invoice most likely follows this one.
    if (outcome.status == office::Outcome::Status::Done)
        m_ui->dxInvoiceNo->setText(nextInvoiceNumber(input.invoiceNo));
}

} // namespace quotaly
