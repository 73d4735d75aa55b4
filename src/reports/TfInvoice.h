#pragma once

#include "InvoiceBuilder.h"
#include "OfficeCommands.h"
#include "ui/FormStorage.h"

#include <functional>
#include <memory>

#include <QDate>
#include <QDialog>

namespace Ui {
class TfInvoice;
}

class QCalendarWidget;

namespace quotaly {
class TDM;
class TfMatchResults;
namespace ui {
class DataGrid;
}

/// The invoice for the current report: the user's and the client's details (edited in place), the invoice's
/// own data, the report and the bank details on one scrolling page. "Print" and "Save to RTF" fill the
/// template of the chosen invoice language in the word processor.
class TfInvoice : public QDialog
{
    Q_OBJECT

public:
    /// report is the report window whose report the invoice carries; dataDir holds the templates.
    TfInvoice(TDM *dm, TfMatchResults *report, const QString &dataDir, QWidget *parent = nullptr);
    ~TfInvoice() override;

    /// Where "Print" and "Save to RTF" get the word processor from.
    OfficeSuiteSource officeSuite;
    /// Shows the client list modally.
    std::function<void()> showClients;

    /// The language whose template is used when no invoice language is chosen.
    void setBaseLanguage(const QString &language) { m_baseLanguage = language; }
    /// What "Create Invoice" fills in: the report's pricing unit and base rate, and the invoice date.
    void setReportValues(const QString &unit, const QString &baseRate, const QDate &invoiceDate);
    /// The template of the chosen invoice language; the base language's when none is chosen.
    QString templateFile() const;
    ui::DataGrid *dbgResults() const;

    void FormShow();
    void bPrintDocClick();
    void Button2Click();
    void SpeedButton1Click();
    /// A date picked beside the payment terms goes at their end.
    void dxPaymentDueChange(const QDate &picked);
    /// Scrolls the page by the wheel's delta in pixels.
    void FormMouseWheel(int delta);
    /// Fills the template in the word processor: printed and discarded in print mode, else left open.
    void BuildInvoice(const QString &templateFile, bool printMode);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bindFields();
    void setUpDates();
    InvoiceInput invoiceInput();
    QSize fittedSize() const;

    const std::unique_ptr<Ui::TfInvoice> m_ui;
    TDM *m_dm;
    TfMatchResults *m_report;
    QString m_dataDir;
    QString m_baseLanguage = QStringLiteral("English");
    QCalendarWidget *m_dueCalendar = nullptr;
    ui::PlacementStore m_placement;
    bool m_placed = false;
};

} // namespace quotaly
