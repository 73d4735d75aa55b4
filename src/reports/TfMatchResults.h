#pragma once

#include "reports/ReportText.h"

#include <functional>
#include <memory>

#include <QDialog>

namespace Ui {
class TfMatchResults;
}

namespace quotaly {
class TDM;
class TfExportReport;
namespace ui {
class DataGrid;
class DbLookupComboBox;
} // namespace ui

/// What an export of the report needs besides the grid.
struct ReportExportRequest
{
    enum class Target { Spreadsheet, WordProcessor };
    Target target = Target::Spreadsheet;
    QString fileName;                 ///< empty: the exporter asks
    QString statTotal, statTotalCaption;
    QString units, unitsCaption;
    QString baseRate, baseRateCaption;
    bool newFile = true;
};

/// The report of the last calculation: the priced rows with their totals, copied, printed, exported, or turned
/// into an invoice; choosing another client recalculates it in place.
class TfMatchResults : public QDialog
{
    Q_OBJECT

public:
    TfMatchResults(TDM *dm, TfExportReport *exportDialog, QWidget *parent = nullptr);
    ~TfMatchResults() override;

    ui::DataGrid *dbgResults() const;
    ui::DbLookupComboBox *lcClient() const;

    /// Sets the four header values (as typed in the main window).
    void setHeaderValues(const QString &statTotal, const QString &units, const QString &baseRate,
                         const QString &currency);
    /// The header values with their captions (trimmed on the left).
    ReportHeader header() const;
    /// Words mode hides the match-value column; percent mode shows it as "Percent". The units column gets the
    /// given title.
    void setReportColumns(bool wordsMode, const QString &unitsTitle);
    /// Shows a client in the selector without treating it as the user's choice.
    void showClient(const QString &name);

    void Selectall1Click();
    void Copy1Click();
    void ExportreporttoExcel1Click();
    void Exportreporttoword1Click();
    void Printreport1Click();
    void lcClientChange();
    void Button2Click();

    /// The main window's calculation without a sender (refreshes the rows in place).
    std::function<void()> recalculate;
    /// Sets the main window's client selector.
    std::function<void(const QString &)> setMainClient;
    /// Shows the client form for the Clients row the caller has started.
    std::function<void()> showClientForm;
    /// Runs an export of the grid to the office.
    std::function<void(const ReportExportRequest &)> exportReport;
    /// Hands the report's unit, base rate and today's date to the invoice window and shows it modally.
    std::function<void()> createInvoice;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitToColumns();
    void exportTo(ReportExportRequest::Target target);
    void addClientThroughForm();
    QString caption(const QWidget *captionEdit) const;

    const std::unique_ptr<Ui::TfMatchResults> m_ui;
    TDM *m_dm;
    TfExportReport *m_exportDialog;
    bool m_showingClient = false;
};

} // namespace quotaly
