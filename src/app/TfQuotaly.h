#pragma once

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QString>

namespace Ui {
class TfQuotaly;
}

namespace quotaly {
class TDM;
class TfExportReport;
class TfMatchResults;
class TkvLang;
namespace ui {
class DbLookupComboBox;
class FormStorage;
} // namespace ui

/// The main window: chooses the client, edits the client's categories and pricing options and leads to
/// every other window.
class TfQuotaly : public QMainWindow
{
    Q_OBJECT

public:
    /// Computes the data folder and brings the match-settings file's column list up to date (before the
    /// data module exists).
    explicit TfQuotaly(const QString &dataDir, QWidget *parent = nullptr);
    ~TfQuotaly() override;

    /// Binds the controls to the data module's datasets. Called once the data module exists.
    void bindData(TDM *dm);
    /// The report window the calculation fills and shows, and the export dialog whose language box follows
    /// the interface language.
    void setReportWindow(TfMatchResults *report, TfExportReport *exportDialog);

    const QString &DataDir() const { return m_dataDir; }
    /// False when the match-settings file could not be brought up to date; the program then ends after
    /// its first showing.
    bool upgradeSucceeded() const { return m_upgradeError.isEmpty(); }
    ui::DbLookupComboBox *lcClient() const;
    QString lastClient() const;
    QString currentLanguage() const;
    TkvLang *kvLang1() const { return m_kvLang; }

    /// The start-up sequence, run once when the window is first shown.
    void fStorageRestorePlacement();
    void lcClientChange();
    void kvLang1LangChange();
    void aSetMatchesExecute(QObject *sender);
    /// Prices the job into tmpMatches; with a sender (the user pressed Calculate) the report is shown.
    void aMatchResultsExecute(QObject *sender);
    void aLoadFromTradosLogExecute();
    void aBrowseURLExecute(QObject *sender);

    /// Show the personal settings, the client list and the currency list.
    std::function<void()> showPersonal;
    std::function<void()> showClients;
    std::function<void()> showCurrency;

    /// Shows the client form for the current Clients row (set by the caller to insert or edit).
    std::function<void()> showNewClientForm;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void FormCreate(const QString &dataDir);
    void ApplicationEvents1Hint(const QString &longHint);
    void connectActions();
    void bindCategoryRows();
    void styleEdits();
    void showEntryMode(bool wordsMode);
    /// The remembered language, or the base language when it cannot be loaded; start-up goes on either way.
    void loadStartLanguage();
    void loadDataSets();
    /// Shows another window modally with the typed values stored first and this window's client kept.
    void showKeepingClient(const std::function<void()> &show);
    /// Stores the counts, rates and options typed in this window; false (after saying why) when a row refused.
    bool storeTypedValues();
    /// Keeps the total only when it reads as a number; otherwise says so and puts the last good total back.
    bool checkTotal();
    void openUrl(const QString &url);
    void aAboutExecute();
    void aHelpExecute();

    const std::unique_ptr<Ui::TfQuotaly> m_ui;
    std::unique_ptr<ui::FormStorage> m_storage;
    TDM *m_dm = nullptr;
    TfMatchResults *m_report = nullptr;
    TfExportReport *m_exportDialog = nullptr;
    QString m_dataDir;
    QString m_upgradeError;
    QString m_total; ///< the last total that read as a number (or empty)
    TkvLang *m_kvLang = nullptr;
    bool m_started = false;
    bool m_inClientChange = false;
};

} // namespace quotaly
