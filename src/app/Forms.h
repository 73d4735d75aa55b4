#pragma once

#include <memory>

#include <QString>

namespace quotaly {
class TDM;
class TfQuotaly;
class TfPersonal;
class TfClients;
class TfCurrency;
class TfNewClient;
class TfExportReport;
class TfMatchResults;
class TfInvoice;
namespace office {
class OfficeSuite;
}

/// The program's windows and its data module, created in their fixed order and destroyed windows first,
/// so the data module writes every dataset back last.
struct Forms
{
    std::unique_ptr<TfQuotaly> fQuotaly;
    std::unique_ptr<TDM> DM;
    std::unique_ptr<TfPersonal> fPersonal;
    std::unique_ptr<TfClients> fClients;
    std::unique_ptr<TfNewClient> fNewClient;
    std::unique_ptr<TfCurrency> fCurrency;
    std::unique_ptr<TfExportReport> fExportReport;
    std::unique_ptr<TfMatchResults> fMatchResults;
    std::unique_ptr<TfInvoice> fInvoice;
    /// The office the exports and the invoice talk to; made on first use.
    std::unique_ptr<office::OfficeSuite> officeSuite;

    /// Creates the main window (which upgrades the match-settings file), the data module and the other
    /// windows, and wires them together. Failures of the data module are shown through the dialogs seam.
    static std::unique_ptr<Forms> create(const QString &dataDir);
    /// The program's office suite, created the first time a command needs it.
    office::OfficeSuite &office();
    ~Forms();
};

} // namespace quotaly
