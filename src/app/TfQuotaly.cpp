#include "TfQuotaly.h"

#include "ui_TfQuotaly.h"

#include "AppPaths.h"
#include "LogImport.h"
#include "MatchCalculation.h"
#include "MakerInfo.h"
#include "MatchesSchemaUpgrade.h"
#include "TDM.h"
#include "dataset/DisplayFormat.h"
#include "lang/TfLangManager.h"
#include "lang/TkvLang.h"
#include "dataset/Error.h"
#include "reports/TfExportReport.h"
#include "reports/TfMatchResults.h"
#include "support/TfAbout.h"
#include "support/TfSplash.h"
#include "ui/DbCheckBox.h"
#include "ui/DbComboBox.h"
#include "ui/DbEdit.h"
#include "ui/DbLookupComboBox.h"
#include "ui/Dialogs.h"
#include "ui/FormStorage.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStatusTipEvent>
#include <QTimer>
#include <QUrl>

namespace quotaly {

namespace {

const QString kAddNewClient = QStringLiteral("<-- Add new client -->");

const QStringList kUnits = {QStringLiteral("Characters (with spaces)"), QStringLiteral("Characters (without spaces)"),
                            QStringLiteral("Gross lines"),              QStringLiteral("Lines"),
                            QStringLiteral("Pages"),                    QStringLiteral("Words")};

// A button that stands for an action shows the action's caption and hint and runs it.
void bindButton(QPushButton *button, QAction *action)
{
    const auto follow = [button, action] {
        button->setText(action->text());
        button->setToolTip(action->toolTip());
        button->setStatusTip(action->statusTip());
        button->setEnabled(action->isEnabled());
    };
    follow();
    QObject::connect(action, &QAction::changed, button, follow);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

} // namespace

TfQuotaly::TfQuotaly(const QString &dataDir, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TfQuotaly>())
{
    m_ui->setupUi(this);
    FormCreate(dataDir);
}

TfQuotaly::~TfQuotaly() = default;

void TfQuotaly::FormCreate(const QString &dataDir)
{
    m_dataDir = dataDir;
    const UpgradeResult upgrade = UpgradeMatchesSchema(m_dataDir);
    if (!upgrade.ok)
        m_upgradeError = upgrade.error;

    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_ui->dbcbPricingBy->addItems(kUnits);
    m_ui->StBar->setSizeGripEnabled(false);
    styleEdits();
    connectActions();

    m_storage = std::make_unique<ui::FormStorage>(this, QStringLiteral("Morvane Software"), QStringLiteral("Quotaly"));
    m_storage->addProperty(
        QStringLiteral("LastClient.Caption"), [this] { return m_ui->LastClient->text(); },
        [this](const QString &v) { m_ui->LastClient->setText(v); });
    // Language files live beside the data folder.
    const QString langDir = QDir::cleanPath(m_dataDir + QStringLiteral("../Lang")) + u'/';
    m_kvLang = new TkvLang(this, langDir);
    m_kvLang->setMenuItem(m_ui->mLanguages);
    m_kvLang->OpenLanguageManager = [this] {
        TfLangManager manager({m_kvLang});
        manager.LangDir = m_kvLang->langDir();
        manager.showModal();
    };
    m_kvLang->BuildLanguageMenu();
    m_kvLang->OnLangChange = [this](QAction *) { kvLang1LangChange(); };
    m_storage->addProperty(
        QStringLiteral("kvLang1.CurrentLanguage"), [this] { return m_kvLang->CurrentLanguage; },
        [this](const QString &v) { m_kvLang->CurrentLanguage = v; });

    adjustSize();
    setFixedSize(sizeHint());
}

void TfQuotaly::styleEdits()
{
    // Label edits and word counts on grey, percentages on white.
    QStringList grey;
    for (int i = 1; i <= 11; ++i)
        grey << QStringLiteral("DBEdit%1").arg(i);
    for (int slot = 2; slot <= 8; ++slot)
        grey << QStringLiteral("Word%1").arg(slot);
    for (const QString &name : std::as_const(grey)) {
        if (auto *edit = findChild<QLineEdit *>(name))
            edit->setStyleSheet(QStringLiteral("QLineEdit { background: #e4e4e4; }"));
    }
    for (int slot = 2; slot <= 8; ++slot) {
        if (auto *edit = findChild<QLineEdit *>(QStringLiteral("Percent%1").arg(slot)))
            edit->setStyleSheet(QStringLiteral("QLineEdit { background: white; } QLineEdit:disabled { background: #f0f0f0; }"));
    }
    // Compact columns: bounds are two or three digits, counts and prices a few more.
    // Extra width goes to the bound edits, so the dash between them stays narrow.
    m_ui->categoryLayout->setColumnStretch(0, 1);
    m_ui->categoryLayout->setColumnStretch(2, 1);
    for (int i = 2; i <= 10; ++i)
    {
        auto *bound = findChild<QLineEdit *>(QStringLiteral("DBEdit%1").arg(i));
        bound->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        bound->setMinimumWidth(40);
    }
    for (int slot = 2; slot <= 8; ++slot) {
        for (const QString &name : {QStringLiteral("Word%1"), QStringLiteral("Percent%1"), QStringLiteral("DBEdit%1")})
            findChild<QLineEdit *>(name.arg(name.startsWith(u'D') ? slot + 10 : slot))->setFixedWidth(70);
    }
    // The two names span the bound columns without widening them.
    for (QLineEdit *name : {static_cast<QLineEdit *>(m_ui->DBEdit1), static_cast<QLineEdit *>(m_ui->DBEdit11)})
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_ui->Edit1->setFixedWidth(100);
    m_ui->Edit2->setFixedWidth(100);
    m_ui->dbcbPricingBy->setFixedWidth(190);
    m_ui->cbValuta->setFixedWidth(190);
    m_ui->lcClient->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    QFont small = m_ui->Label7->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_ui->Label7->setFont(small);
}

void TfQuotaly::connectActions()
{
    bindButton(m_ui->Button2, m_ui->aMatchResults);
    bindButton(m_ui->Button1, m_ui->aFileExit);
    addAction(m_ui->aSetMatches);

    connect(m_ui->aFileExit, &QAction::triggered, this, &QWidget::close);
    connect(m_ui->aSetMatches, &QAction::triggered, this, [this] { aSetMatchesExecute(m_ui->aSetMatches); });
    connect(m_ui->rbWords, &QCheckBox::clicked, this, [this] { aSetMatchesExecute(m_ui->rbWords); });
    connect(m_ui->rbPercent, &QCheckBox::clicked, this, [this] { aSetMatchesExecute(m_ui->rbPercent); });
    connect(m_ui->aCurrencyConverter, &QAction::triggered, this,
            [this] { openUrl(QStringLiteral(QUOTALY_CONVERTER_URL)); });
    connect(m_ui->aVisitOurWebSite, &QAction::triggered, this, [this] { openUrl(QStringLiteral(QUOTALY_WEBSITE_URL)); });
    connect(m_ui->aBrowseURL, &QAction::triggered, this, [this] { aBrowseURLExecute(nullptr); });
    connect(m_ui->aSendMail, &QAction::triggered, this,
            [this] { openUrl(QStringLiteral("mailto:" QUOTALY_SUPPORT_MAIL "?subject=Support")); });
    connect(m_ui->aFeedBack, &QAction::triggered, this,
            [this] { openUrl(QStringLiteral("mailto:" QUOTALY_SUPPORT_MAIL "?subject=feedback")); });
    connect(m_ui->aHelp, &QAction::triggered, this, &TfQuotaly::aHelpExecute);
    connect(m_ui->aAbout, &QAction::triggered, this, &TfQuotaly::aAboutExecute);

    connect(m_ui->aMatchResults, &QAction::triggered, this, [this] { aMatchResultsExecute(m_ui->aMatchResults); });
    connect(m_ui->Edit1, &QLineEdit::editingFinished, this, [this] { checkTotal(); });
    connect(m_ui->aLoadFromTradosLog, &QAction::triggered, this, &TfQuotaly::aLoadFromTradosLogExecute);

    connect(m_ui->aPersonal, &QAction::triggered, this, [this] { showKeepingClient(showPersonal); });
    connect(m_ui->aCurrency, &QAction::triggered, this, [this] { showKeepingClient(showCurrency); });
    connect(m_ui->aClients, &QAction::triggered, this, [this] { showKeepingClient(showClients); });
}

void TfQuotaly::bindData(TDM *dm)
{
    m_dm = dm;
    m_ui->Edit2->setBinding(dm->OptionsByClient, QStringLiteral("BaseRate"));
    m_ui->dbcbPricingBy->setBinding(dm->OptionsByClient, QStringLiteral("Units"));

    m_ui->cbValuta->setListSource(dm->Currency, QStringLiteral("VCode"), {QStringLiteral("VCode"), QStringLiteral("VTitle")});
    m_ui->cbValuta->setBinding(dm->OptionsByClient, QStringLiteral("Currency"));
    m_ui->cbValuta->setDropDownWidth(170);

    m_ui->lcClient->setListSource(dm->Clients, QStringLiteral("FULLNAME"), {QStringLiteral("FULLNAME")});
    m_ui->lcClient->setEmptyEntry(kAddNewClient);
    m_ui->lcClient->setDropDownRows(8);
    connect(m_ui->lcClient, &ui::DbLookupComboBox::changed, this, &TfQuotaly::lcClientChange);
    connect(m_ui->lcClient, &ui::DbLookupComboBox::closedUp, this, &TfQuotaly::lcClientChange);

    m_ui->rbWords->setBinding(dm->MatchesByClient, QStringLiteral("bMatchTypeWords"));
    m_ui->rbPercent->setBinding(dm->MatchesByClient, QStringLiteral("bMatchTypePercent"));
    bindCategoryRows();
    m_kvLang->setDataModule({dm->Personal, dm->Clients, dm->Currency, dm->MatchesByClient, dm->OptionsByClient,
                             dm->tmpMatches});
    // Whatever moves or changes the match-settings row (a client chosen here or in another window, a log read, a
    // cancelled edit), the boxes and the enabled column show the mode the calculation will use.
    Dataset *matches = dm->MatchesByClient;
    const auto follow = [this] { aSetMatchesExecute(nullptr); };
    connect(matches, &Dataset::currentChanged, this, follow);
    connect(matches, &Dataset::layoutReset, this, follow);
    connect(matches, &Dataset::stateChanged, this, follow);
    connect(matches, &Dataset::fieldChanged, this, [this, matches](int field) {
        if (field == matches->fieldIndex(QStringLiteral("bMatchTypeWords")))
            aSetMatchesExecute(nullptr);
    });
}

void TfQuotaly::bindCategoryRows()
{
    Dataset *matches = m_dm->MatchesByClient;
    const std::pair<const char *, const char *> labels[] = {
        {"DBEdit1", "sName2"}, {"DBEdit2", "iName3"},  {"DBEdit3", "iName4"},  {"DBEdit4", "iName5"},
        {"DBEdit5", "iName6"}, {"DBEdit6", "iName7"},  {"DBEdit7", "iName8"},  {"DBEdit8", "iName9"},
        {"DBEdit9", "iName10"}, {"DBEdit10", "iName11"}, {"DBEdit11", "sName12"}};
    for (const auto &[edit, field] : labels)
        findChild<ui::DbEdit *>(QString::fromLatin1(edit))->setBinding(matches, QString::fromLatin1(field));
    for (int slot = 2; slot <= 8; ++slot) {
        findChild<ui::DbEdit *>(QStringLiteral("Word%1").arg(slot))->setBinding(matches, QStringLiteral("iWord%1").arg(slot));
        findChild<ui::DbEdit *>(QStringLiteral("Percent%1").arg(slot))
            ->setBinding(matches, QStringLiteral("iPercent%1").arg(slot));
        findChild<ui::DbEdit *>(QStringLiteral("DBEdit%1").arg(10 + slot))
            ->setBinding(matches, QStringLiteral("fDiscount%1").arg(slot));
    }
}

void TfQuotaly::setReportWindow(TfMatchResults *report, TfExportReport *exportDialog)
{
    m_report = report;
    m_exportDialog = exportDialog;
}

ui::DbLookupComboBox *TfQuotaly::lcClient() const
{
    return m_ui->lcClient;
}

QString TfQuotaly::lastClient() const
{
    return m_ui->LastClient->text();
}

void TfQuotaly::showEvent(QShowEvent *event)
{
    if (!m_started) {
        m_started = true;
        m_storage->restore();
        // The start-up sequence runs from the event loop, once the window is on screen.
        QTimer::singleShot(0, this, &TfQuotaly::fStorageRestorePlacement);
    }
    QMainWindow::showEvent(event);
}

void TfQuotaly::fStorageRestorePlacement()
{
    if (m_dm)
        loadDataSets();
    if (!upgradeSucceeded()) {
        ui::dialogs().message(this, QStringLiteral("Quotaly cannot start: %1").arg(m_upgradeError), ui::Dialogs::Kind::Error);
        close();
        return;
    }
    try {
        loadStartLanguage();
        if (m_exportDialog) {
            QStringList languages;
            m_kvLang->GetLanguages(languages);
            m_exportDialog->cbLang()->clear();
            m_exportDialog->cbLang()->addItems(languages);
        }
        kvLang1LangChange();

        if (m_dm && m_dm->Clients->locate(QStringLiteral("FULLNAME"), m_ui->LastClient->text())) {
            m_ui->lcClient->setText(m_dm->Clients->asString(QStringLiteral("FULLNAME")));
            const int unit = m_ui->dbcbPricingBy->findText(m_dm->OptionsByClient->asString(QStringLiteral("Units")));
            if (unit >= 0)
                m_ui->dbcbPricingBy->setCurrentIndex(unit);
        }
        aSetMatchesExecute(nullptr);
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text());
        return;
    }
    showNewsletterIfNotSubscribed(this);
}

void TfQuotaly::loadDataSets()
{
    // Large data files (a long client list) take a noticeable time to read: a progress window shows how far it
    // has come. Small ones are read before a window could even be drawn.
    constexpr qint64 kBytesWorthShowing = 4 * 1024 * 1024;
    qint64 total = 0;
    for (Dataset *d : m_dm->persistentDataSets())
        total += QFileInfo(d->fileName()).size();
    if (total < kBytesWorthShowing) {
        m_dm->LoadDataSets();
        return;
    }
    QProgressDialog progress(QStringLiteral("Reading the data files..."), QString(), 0, 1000, this);
    progress.setObjectName(QStringLiteral("fLoadProgress"));
    progress.setWindowTitle(QStringLiteral("Quotaly"));
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    const auto step = [&progress, total](qint64 bytesDone) {
        progress.setValue(int(bytesDone * 1000 / total));
        // The window has to be drawn before the next file is read; input waits until the files are read.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    progress.show();
    m_dm->loading = [&step](const QString &, qint64 bytesDone) { step(bytesDone); };
    m_dm->LoadDataSets();
    m_dm->loading = nullptr;
}

void TfQuotaly::loadStartLanguage()
{
    TkvLang &lang = *m_kvLang;
    const QString remembered = lang.CurrentLanguage;
    bool told = false;
    if (!remembered.isEmpty() && remembered != lang.BaseLanguage) {
        try {
            lang.LoadLanguage(remembered, false);
            return;
        } catch (const Error &) {
            told = true; // the load has said why
        }
    }
    lang.CurrentLanguage = lang.BaseLanguage;
    try {
        lang.LoadLanguage(lang.BaseLanguage, false, !told);
    } catch (const Error &) {
        // The texts the windows were built with are the base language; start-up goes on.
    }
}

QString TfQuotaly::currentLanguage() const
{
    return m_kvLang->CurrentLanguage;
}

void TfQuotaly::kvLang1LangChange()
{
    if (m_exportDialog)
        m_exportDialog->cbLang()->setCurrentText(m_kvLang->CurrentLanguage);
}

void TfQuotaly::lcClientChange()
{
    if (m_inClientChange || !m_dm)
        return;
    m_inClientChange = true;
    try {
        if (m_ui->lcClient->text() == kAddNewClient) {
            m_dm->Clients->append();
            if (showNewClientForm)
                showNewClientForm();
            else
                m_dm->Clients->cancel();
        }
        m_ui->LastClient->setText(m_ui->lcClient->text());
        aSetMatchesExecute(nullptr);
    } catch (...) {
        m_inClientChange = false;
        throw;
    }
    m_inClientChange = false;
}

void TfQuotaly::aSetMatchesExecute(QObject *sender)
{
    // The boxes are a radio pair over bMatchTypeWords, the flag the calculation reads: a click chooses the mode of
    // its box (a click on the ticked box keeps it), otherwise the current row's flag decides (null: percent).
    QCheckBox *words = m_ui->rbWords;
    QCheckBox *percent = m_ui->rbPercent;
    Dataset *matches = m_dm ? m_dm->MatchesByClient : nullptr;
    const bool hasRow = matches && matches->isActive() && (matches->recordCount() > 0 || matches->isEditing());
    bool wordsMode = false;
    if ((sender == words || sender == percent) && hasRow) {
        wordsMode = sender == words;
        try {
            if (!matches->isEditing())
                matches->edit();
            matches->setValue(QStringLiteral("bMatchTypeWords"), wordsMode);
            matches->setValue(QStringLiteral("bMatchTypePercent"), !wordsMode);
        } catch (const Error &e) {
            ui::dialogs().message(this, e.text());
            wordsMode = matches->asBoolean(QStringLiteral("bMatchTypeWords"));
        }
    } else if (hasRow) {
        wordsMode = matches->asBoolean(QStringLiteral("bMatchTypeWords"));
    }
    showEntryMode(wordsMode);
}

void TfQuotaly::showEntryMode(bool wordsMode)
{
    m_ui->rbWords->setChecked(wordsMode);
    m_ui->rbPercent->setChecked(!wordsMode);
    for (int slot = 2; slot <= 8; ++slot) {
        findChild<QWidget *>(QStringLiteral("Word%1").arg(slot))->setEnabled(wordsMode);
        findChild<QWidget *>(QStringLiteral("Percent%1").arg(slot))->setEnabled(!wordsMode);
    }
}

bool TfQuotaly::checkTotal()
{
    const QString problem = typedNumberProblem(m_ui->Edit1->text(), false, QLocale());
    if (problem.isEmpty()) {
        m_total = m_ui->Edit1->text();
        return true;
    }
    m_ui->Edit1->setText(m_total);
    ui::dialogs().message(this, problem, ui::Dialogs::Kind::Warning);
    return false;
}

void TfQuotaly::aMatchResultsExecute(QObject *sender)
{
    if (!m_dm)
        return;
    if (m_report)
        m_report->showClient(m_ui->lcClient->text());
    // An unreadable total or base rate is refused (and said) before anything is priced.
    if (!checkTotal() || !m_ui->Edit2->commit())
        return;
    try {
        Dataset *matches = m_dm->MatchesByClient;
        matches->updateRecord();
        MatchInputs inputs = matchInputsFromRow(*matches);
        inputs.totalText = m_ui->Edit1->text();
        inputs.baseRateText = m_ui->Edit2->text();
        inputs.currency = m_ui->cbValuta->text();
        inputs.merge = m_ui->cbMerge->isChecked();
        const std::optional<MatchResult> result = calculateMatches(inputs, QLocale());
        if (!result) {
            ui::dialogs().message(this, QStringLiteral("Please, enter total value"), ui::Dialogs::Kind::Confirmation);
            return;
        }
        const QString unit = m_ui->dbcbPricingBy->currentText();
        if (m_report)
            m_report->setHeaderValues(inputs.totalText, unit, inputs.baseRateText, inputs.currency);
        fillReportDataset(*m_dm->tmpMatches, *result);
        if (m_report)
            m_report->setReportColumns(inputs.wordsMode, inputs.wordsMode ? QStringLiteral("Words") : unit);
        if (!result->rows.isEmpty() && sender && m_report)
            m_report->exec();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text());
    }
}

void TfQuotaly::aLoadFromTradosLogExecute()
{
    if (!m_dm)
        return;
    // The counts belong to the client the selector shows; without one they would land on whichever row is current.
    if (m_ui->lcClient->currentIndex() < 0 || m_dm->Clients->isEmpty()) {
        ui::dialogs().message(this, QStringLiteral("Choose a client first."));
        return;
    }
    const QString fileName = ui::dialogs().openFileName(
        this, m_ui->aLoadFromTradosLog->text(), QString(),
        QStringLiteral("Analysis reports (*.log *.txt *.csv *.xml *.json);;Trados log-file (*.log);;"
                       "Trados log-file (txt) (*.txt);;Trados log-file (csv) (*.csv);;"
                       "Trados Studio analysis (*.xml);;memoQ, Phrase, Wordfast Pro analysis (*.csv);;"
                       "Phrase analysis (*.json);;OmegaT match statistics (*.txt);;All files (*)"));
    if (fileName.isEmpty())
        return;
    try {
        const LogImportResult result =
            importAnalysisLog(fileName, *m_dm->MatchesByClient, [this](const QString &text) { ui::dialogs().message(this, text); },
                              m_dm->OptionsByClient->asString(QStringLiteral("Units")));
        if (result.stored) {
            m_ui->Edit1->setText(result.totalText);
            m_total = result.totalText;
            m_ui->StBar->showMessage(loadedReportMessage(result, fileName));
            if (result.unpricedWords > 0)
                ui::dialogs().message(this, unpricedWordsMessage(result.unpricedWords, result.characters),
                                      ui::Dialogs::Kind::Information);
        }
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text());
    }
}

bool TfQuotaly::storeTypedValues()
{
    bool stored = true;
    for (Dataset *d : {m_dm->MatchesByClient, m_dm->OptionsByClient}) {
        try {
            d->checkBrowseMode();
        } catch (const Error &e) {
            ui::dialogs().message(this, e.text());
            stored = false;
        }
    }
    return stored;
}

void TfQuotaly::showKeepingClient(const std::function<void()> &show)
{
    if (!show)
        return;
    if (!m_dm) {
        show();
        return;
    }
    // Counts and rates typed here are stored first: the other window may move the client row, and typed text
    // that was never stored would go with it.
    if (!storeTypedValues())
        return;
    Dataset *clients = m_dm->Clients;
    const QString name = m_ui->lcClient->currentIndex() >= 0 ? m_ui->lcClient->text() : QString();
    const int row = clients->isActive() ? clients->recNo() : -1;
    show();
    if (name.isEmpty() || !clients->isActive() || clients->isEditing())
        return;
    // The same client comes back as the current one (its row, or another of its name if the row moved);
    // a deleted client leaves the selector on whatever client is current now, so the two always agree.
    const int nameField = clients->fieldIndex(QStringLiteral("FULLNAME"));
    if (row >= 0 && row < clients->recordCount() && clients->valueAt(row, nameField).toString() == name)
        clients->setRecNo(row);
    else
        clients->locate(QStringLiteral("FULLNAME"), name);
    const QString current = clients->isEmpty() ? QString() : clients->asString(QStringLiteral("FULLNAME"));
    if (m_ui->lcClient->text() != current)
        m_ui->lcClient->setText(current);
    aSetMatchesExecute(nullptr);
}

void TfQuotaly::aBrowseURLExecute(QObject *sender)
{
    if (auto *edit = qobject_cast<ui::DbEdit *>(sender)) {
        ui::dialogs().openUrl(QUrl::fromUserInput(edit->text()));
        return;
    }
    openUrl(QStringLiteral(QUOTALY_WEBSITE_URL));
}

void TfQuotaly::openUrl(const QString &url)
{
    ui::dialogs().openUrl(QUrl(url));
}

void TfQuotaly::aHelpExecute()
{
    ui::dialogs().openUrl(QUrl::fromLocalFile(AppPaths::current().helpFile));
}

void TfQuotaly::aAboutExecute()
{
    TfAbout about(this);
    about.exec();
}

void TfQuotaly::closeEvent(QCloseEvent *event)
{
    if (m_dm)
        storeTypedValues();
    m_storage->save();
    event->accept();
}

bool TfQuotaly::event(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        // The window is as large as its texts need: new texts, new size (once the layout has taken them).
        QTimer::singleShot(0, this, [this] {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            layout()->invalidate();
            layout()->activate();
            setFixedSize(sizeHint());
            if (isVisible()) // a window grown by its new texts stays on its screen
                ui::keepOnScreen(this);
        });
    }
    if (event->type() == QEvent::StatusTip) {
        ApplicationEvents1Hint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TfQuotaly::ApplicationEvents1Hint(const QString &longHint)
{
    m_ui->StBar->showMessage(longHint);
}

} // namespace quotaly
