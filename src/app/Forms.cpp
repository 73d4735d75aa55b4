#include "Forms.h"

#include "TDM.h"
#include "TfNewClient.h"
#include "TfQuotaly.h"
#include "clients/TfClients.h"
#include "clients/TfCurrency.h"
#include "clients/TfPersonal.h"
#include "office/OfficeSuite.h"
#include "reports/OfficeCommands.h"
#include "reports/TfExportReport.h"
#include "reports/TfInvoice.h"
#include "reports/TfMatchResults.h"
#include "ui/DbLookupComboBox.h"
#include "ui/Dialogs.h"

namespace quotaly {

std::unique_ptr<Forms> Forms::create(const QString &dataDir)
{
    auto forms = std::make_unique<Forms>();
    forms->fQuotaly = std::make_unique<TfQuotaly>(dataDir);
    forms->DM = std::make_unique<TDM>(dataDir);
    forms->fPersonal = std::make_unique<TfPersonal>(forms->DM->Personal, forms->fQuotaly.get());
    forms->fClients = std::make_unique<TfClients>(forms->DM.get(), forms->fQuotaly.get());
    forms->fNewClient = std::make_unique<TfNewClient>(forms->DM->Clients, forms->fQuotaly.get());
    forms->fCurrency = std::make_unique<TfCurrency>(forms->DM->Currency, forms->fQuotaly.get());
    forms->fExportReport = std::make_unique<TfExportReport>(forms->fQuotaly.get());
    forms->fMatchResults =
        std::make_unique<TfMatchResults>(forms->DM.get(), forms->fExportReport.get(), forms->fQuotaly.get());
    forms->fInvoice =
        std::make_unique<TfInvoice>(forms->DM.get(), forms->fMatchResults.get(), dataDir, forms->fQuotaly.get());

    TfQuotaly *main = forms->fQuotaly.get();
    TfNewClient *newClient = forms->fNewClient.get();
    Forms *self = forms.get();
    forms->DM->report = [self](const QString &text) {
        ui::dialogs().message(self->fQuotaly ? self->fQuotaly.get() : nullptr, text);
    };
    main->bindData(forms->DM.get());
    main->showNewClientForm = [newClient] { newClient->exec(); };
    newClient->setClientSelector = [main](const QString &name) { main->lcClient()->setText(name); };

    TfPersonal *personal = forms->fPersonal.get();
    TfCurrency *currency = forms->fCurrency.get();
    main->showPersonal = [personal] { personal->exec(); };
    main->showCurrency = [currency] { currency->exec(); };
    TfClients *clients = forms->fClients.get();
    main->showClients = [clients] { clients->exec(); };
    clients->showClientForm = [newClient] { newClient->exec(); };
    personal->browseUrl = [main](QObject *sender) { main->aBrowseURLExecute(sender); };

    TfMatchResults *report = forms->fMatchResults.get();
    main->setReportWindow(report, forms->fExportReport.get());
    report->recalculate = [main] { main->aMatchResultsExecute(nullptr); };
    report->setMainClient = [main](const QString &name) { main->lcClient()->setText(name); };
    report->showClientForm = [newClient] { newClient->exec(); };

    const OfficeSuiteSource officeSource = [self]() -> office::OfficeSuite & { return self->office(); };
    report->exportReport = [report, officeSource](const ReportExportRequest &request) {
        exportReport(report, *report->dbgResults(), request, officeSource);
    };
    TfInvoice *invoice = forms->fInvoice.get();
    invoice->officeSuite = officeSource;
    invoice->showClients = [clients] { clients->exec(); };
    report->createInvoice = [report, invoice] {
        const ReportHeader header = report->header();
        invoice->setReportValues(header.units, header.baseRate, QDate::currentDate());
        invoice->exec();
    };
    return forms;
}

office::OfficeSuite &Forms::office()
{
    if (!officeSuite)
        officeSuite = office::createOfficeSuite(office::OfficeOptions{});
    return *officeSuite;
}

Forms::~Forms()
{
    fInvoice.reset();
    fMatchResults.reset();
    fExportReport.reset();
    fCurrency.reset();
    fNewClient.reset();
    fClients.reset();
    fPersonal.reset();
    fQuotaly.reset();
    DM.reset();
    officeSuite.reset();
}

} // namespace quotaly
