#include "TfLangManager.h"

#include "LanguageFile.h"
#include "LanguageList.h"
#include "LanguageText.h"
#include "LanguageXliff.h"
#include "TfReplace.h"
#include "TfWait.h"
#include "TkvLang.h"
#include "dataset/AtomicFile.h"
#include "dataset/Error.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "ui/FormStorage.h"
#include "ui/GridProxyModel.h"
#include "ui/DatasetTableModel.h"
#include "ui/TextProperties.h"

#include "ui_TfLangManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTextCursor>
#include <QToolBar>
#include <QWheelEvent>

// Resources of a static library have to be pulled in by name, and only from the global namespace.
static void initLangResources()
{
    Q_INIT_RESOURCE(lang);
}

namespace quotaly {

namespace {

const QString kTranslationField = LanguageRows::kTranslationField.toString();
const QStringList kGridFields{LanguageRows::kPropertyField.toString(), LanguageRows::kValueField.toString(),
                              kTranslationField};
const QString kNotSelected = QStringLiteral("not selected");

// Shows the wait cursor while it lives.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

/// The grid as the search engine sees it: the rows it shows, in the order it shows them.
class LangGridSearchTable : public SearchTable
{
public:
    explicit LangGridSearchTable(TfLangManager &manager) : m(manager) {}

    int rowCount() const override { return m.dbgLang()->proxyModel()->rowCount(); }
    int currentRow() const override { return m.currentDisplayRow(); }
    void setCurrentRow(int row) override { m.goToDisplayRow(row); }
    QString cellText(int row, int column) const override
    {
        const int datasetRow = datasetRowOf(row);
        switch (column) {
        case 0:
            return m.m_rows.dataset().valueAt(datasetRow, LanguageRows::Property).toString();
        case 1:
            return m.m_rows.value(datasetRow);
        default:
            return m.m_rows.translation(datasetRow);
        }
    }
    bool isColumnReadOnly(int column) const override { return column != 2; }
    void setCellText(int row, int column, const QString &text) override
    {
        if (column != 2)
            throw Error(QStringLiteral("Only translations can be changed."));
        m.m_rows.setTranslation(datasetRowOf(row), text);
    }
    void showMatch(int row, int column, int start, int end) override
    {
        m.dbgLang()->setCurrentCell(datasetRowOf(row), kGridFields.value(column));
        QPlainTextEdit *pane = column == 1 ? m.m_ui->dbmOriginal : column == 2 ? m.m_ui->dbmTranslated : nullptr;
        if (!pane)
            return;
        QTextCursor cursor = pane->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        pane->setTextCursor(cursor);
    }

private:
    int datasetRowOf(int row) const
    {
        const ui::GridProxyModel *proxy = m.dbgLang()->proxyModel();
        return proxy->mapToSource(proxy->index(row, 0)).row();
    }

    TfLangManager &m;
};

TfLangManager::TfLangManager(const QList<TkvLang *> &languages, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TfLangManager>())
{
    initLangResources();
    m_ui->setupUi(this);
    for (TkvLang *language : languages)
        m_languages << language;
    m_searchTable = std::make_unique<LangGridSearchTable>(*this);
    buildToolBar();

    ui::DataGrid *grid = m_ui->dbgLang;
    grid->setDataset(&m_rows.dataset(), kGridFields);
    grid->setRowFilter([this](int row) { return row < m_rows.size() && !m_rows.isHidden(row); });
    grid->setColumnReadOnly(LanguageRows::kPropertyField.toString(), true);
    grid->setColumnReadOnly(LanguageRows::kValueField.toString(), true);
    grid->setSortingEnabled(false);
    grid->view()->installEventFilter(this);
    grid->view()->viewport()->installEventFilter(this);
    grid->installEventFilter(this);
    connect(grid->view()->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfLangManager::dbgLangTitleClick);

    m_ui->Splitter2->setStretchFactor(0, 1);
    m_ui->Splitter2->setSizes({480, 68});
    m_ui->dbmTranslated->installEventFilter(this);
    ui::text_properties::setKeepsState(m_ui->dbmOriginal, true);
    ui::text_properties::setKeepsState(m_ui->dbmTranslated, true);
    bindPanes();
    connectActions();
    ui::centreWhenFirstShown(this);
    updateActions();
}

TfLangManager::~TfLangManager() = default;

ui::DataGrid *TfLangManager::dbgLang() const
{
    return m_ui->dbgLang;
}

void TfLangManager::buildToolBar()
{
    QToolBar *bar = m_ui->ToolBar1;
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->addAction(m_ui->aSaveLangFiles);
    bar->addSeparator();
    bar->addAction(m_ui->aAddLang);
    bar->addAction(m_ui->aDelLang);
    bar->addSeparator();
    m_lblLanguage = new QLabel(QStringLiteral("Language: "), bar);
    m_lblLanguage->setObjectName(QStringLiteral("Label1"));
    bar->addWidget(m_lblLanguage);
    m_cbCurLang = new QComboBox(bar);
    m_cbCurLang->setObjectName(QStringLiteral("cbCurLang"));
    m_cbCurLang->setToolTip(QStringLiteral("Language to translate"));
    m_cbCurLang->setStatusTip(QStringLiteral("Language to translate"));
    m_cbCurLang->setMinimumContentsLength(14);
    m_cbCurLang->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // The list is the folder's languages, not texts of the program's language.
    ui::text_properties::setKeepsState(m_cbCurLang, true);
    bar->addWidget(m_cbCurLang);
    bar->addSeparator();
    bar->addAction(m_ui->aFindPriorUnTransl);
    bar->addAction(m_ui->aFindNextUnTransl);
    bar->addSeparator();
    for (QAction *action : {m_ui->aUndo, m_ui->EditCut1, m_ui->EditCopy1, m_ui->EditPaste1})
        bar->addAction(action);
    // The desktop theme's icons, else the ones shipped with the program.
    const std::pair<QAction *, const char *> icons[] = {
        {m_ui->aSaveLangFiles, "document-save"}, {m_ui->aAddLang, "list-add"},
        {m_ui->aDelLang, "list-remove"},          {m_ui->aFindPriorUnTransl, "go-up"},
        {m_ui->aFindNextUnTransl, "go-down"},     {m_ui->aUndo, "edit-undo"},
        {m_ui->EditCut1, "edit-cut"},             {m_ui->EditCopy1, "edit-copy"},
        {m_ui->EditPaste1, "edit-paste"}};
    for (const auto &[action, name] : icons) {
        const QString icon = QString::fromLatin1(name);
        action->setIcon(QIcon::fromTheme(icon, QIcon(QStringLiteral(":/quotaly/lang/icons/%1.svg").arg(icon))));
    }
}

void TfLangManager::connectActions()
{
    const auto on = [this](QAction *action, void (TfLangManager::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(m_ui->aSaveLangFiles, &TfLangManager::aSaveLangFilesExecute);
    on(m_ui->aAddLang, &TfLangManager::aAddLangExecute);
    on(m_ui->aDelLang, &TfLangManager::aDelLangExecute);
    on(m_ui->aFindNextUnTransl, &TfLangManager::aFindNextUnTranslExecute);
    on(m_ui->aFindPriorUnTransl, &TfLangManager::aFindPriorUnTranslExecute);
    on(m_ui->aUndo, &TfLangManager::aUndoExecute);
    on(m_ui->aFind, &TfLangManager::aFindExecute);
    on(m_ui->aReplace, &TfLangManager::aReplaceExecute);
    on(m_ui->aFindNext, &TfLangManager::aFindNextExecute);
    on(m_ui->aExportXliff, &TfLangManager::aExportXliffExecute);
    on(m_ui->aImportXliff, &TfLangManager::aImportXliffExecute);
    connect(m_ui->aClose, &QAction::triggered, this, &QWidget::close);
    connect(m_ui->EditCut1, &QAction::triggered, this, [this] { standardEdit("cut", Qt::Key_X); });
    connect(m_ui->EditCopy1, &QAction::triggered, this, [this] { standardEdit("copy", Qt::Key_C); });
    connect(m_ui->EditPaste1, &QAction::triggered, this, [this] { standardEdit("paste", Qt::Key_V); });
    connect(m_ui->EditSelectAll1, &QAction::triggered, this, [this] { standardEdit("selectAll", Qt::Key_A); });
    connect(m_cbCurLang, &QComboBox::currentIndexChanged, this, &TfLangManager::cbCurLangChange);
}

void TfLangManager::bindPanes()
{
    Dataset &d = m_rows.dataset();
    connect(&d, &Dataset::currentChanged, this, [this] {
        showCurrentRow();
        m_ui->aFindNextUnTransl->setEnabled(true);
        m_ui->aFindPriorUnTransl->setEnabled(true);
    });
    connect(&d, &Dataset::layoutReset, this, &TfLangManager::showCurrentRow);
    connect(&d, &Dataset::rowChanged, this, &TfLangManager::showCurrentRow);
    connect(&d, &Dataset::fieldChanged, this, &TfLangManager::showCurrentRow);
    connect(&d, &Dataset::rowChanged, this, &TfLangManager::updateActions);
    connect(&d, &Dataset::stateChanged, this, &TfLangManager::updateActions);
    connect(m_ui->dbmTranslated, &QPlainTextEdit::textChanged, this, &TfLangManager::editTranslationFromPane);
}

void TfLangManager::showCurrentRow()
{
    if (m_syncingPanes)
        return;
    m_syncingPanes = true;
    const Dataset &d = m_rows.dataset();
    const bool onRow = d.isActive() && d.recNo() >= 0;
    const QString original = onRow ? d.value(LanguageRows::Value).toString() : QString();
    const QString translated = onRow ? d.value(LanguageRows::Translation).toString() : QString();
    if (m_ui->dbmOriginal->toPlainText() != original)
        m_ui->dbmOriginal->setPlainText(original);
    if (m_ui->dbmTranslated->toPlainText() != translated)
        m_ui->dbmTranslated->setPlainText(translated);
    m_ui->dbmTranslated->setReadOnly(!onRow);
    m_syncingPanes = false;
}

void TfLangManager::editTranslationFromPane()
{
    Dataset &d = m_rows.dataset();
    if (m_syncingPanes || !d.isActive() || d.recNo() < 0)
        return;
    m_syncingPanes = true;
    try {
        if (!d.isEditing())
            d.edit();
        d.setValue(LanguageRows::Translation, m_ui->dbmTranslated->toPlainText());
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
    m_syncingPanes = false;
    updateActions();
}

void TfLangManager::updateActions()
{
    const bool open = m_rows.size() > 0;
    const Dataset &d = m_rows.dataset();
    m_ui->aSaveLangFiles->setEnabled(open && !m_shownLanguage.isEmpty() &&
                                     (m_rows.isModified() || (d.isEditing() && d.isModified())));
    m_ui->aAddLang->setEnabled(open);
    m_ui->aDelLang->setEnabled(open && !m_shownLanguage.isEmpty());
    m_ui->aUndo->setEnabled(open && !m_shownLanguage.isEmpty());
    m_ui->aExportXliff->setEnabled(open && !m_shownLanguage.isEmpty());
    m_ui->aImportXliff->setEnabled(open && !m_shownLanguage.isEmpty());
}

void TfLangManager::setStatus(const QString &text)
{
    m_ui->StatusBar1->showMessage(text);
}

QString TfLangManager::fileOf(const QString &language) const
{
    return LangDir + language + QStringLiteral(".lng");
}

void TfLangManager::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &TfLangManager::closed, &loop, &QEventLoop::quit);
    show();
    loop.exec();
}

void TfLangManager::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    ListLanguageFiles(LangDir);
    LoadLangFile(LangDir + kBaseLanguageFile.toString(), -1);
    LoadPlacement();
    fitToScreen();
    FitColumns();
}

void TfLangManager::fitToScreen()
{
    // On a small screen or a large scale the designed size would reach past the screen's edges.
    const QRect area = screen()->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize room = area.size() - frame;
    setMinimumSize(minimumSize().boundedTo(room));
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room));
    ui::keepOnScreen(this);
}

void TfLangManager::ListLanguageFiles(const QString &folder)
{
    QStringList languages = languageList(folder, QString());
    languages.removeFirst(); // the base language, which is not edited here
    LangList = languages;
    const QSignalBlocker block(m_cbCurLang);
    m_cbCurLang->clear();
    m_cbCurLang->addItems(LangList);
    m_cbCurLang->setCurrentIndex(LangList.indexOf(m_shownLanguage));
}

bool TfLangManager::LoadLangFile(const QString &fileName, int index)
{
    if (m_busy)
        return false;
    m_busy = true;
    bool loaded = false;
    {
        const WaitCursor cursor;
        TfWait wait(this);
        wait.showNow();
        setStatus(index == -1 ? QStringLiteral("Loading base language file ...")
                              : QStringLiteral("Loading language file ..."));
        try {
            const LanguageTree tree = LanguageFile::read(fileName);
            if (index == -1)
                m_rows.loadBase(tree);
            else
                m_rows.loadLanguage(tree);
            loaded = true;
        } catch (const Error &e) {
            ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
        }
        goToDisplayRow(0);
        setStatus(QStringLiteral("Loading completed ..."));
    }
    m_busy = false;
    updateActions();
    return loaded;
}

bool TfLangManager::SaveLangFile(const QString &fileName, bool force)
{
    if (m_busy || m_rows.size() == 0)
        return false;
    Dataset &d = m_rows.dataset();
    try {
        d.checkBrowseMode();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
        return false;
    }
    if (!force && !m_rows.isModified())
        return true;
    m_busy = true;
    bool saved = false;
    {
        const WaitCursor cursor;
        TfWait wait(this);
        wait.showNow();
        setStatus(QStringLiteral("Saving ..."));
        try {
            m_rows.writeFile(fileName);
            saved = true;
            setStatus(QStringLiteral("Saving completed ..."));
        } catch (const Error &e) {
            setStatus(QString());
            ui::dialogs().message(
                this, e.text() + QStringLiteral("\nNothing was written; your changes are still here."),
                ui::Dialogs::Kind::Error);
        }
    }
    m_busy = false;
    updateActions();
    return saved;
}

bool TfLangManager::saveShownLanguage()
{
    if (m_shownLanguage.isEmpty())
        return true;
    const bool saved = SaveLangFile(fileOf(m_shownLanguage));
    if (saved)
        applyToProgram(m_shownLanguage);
    return saved;
}

void TfLangManager::applyToProgram(const QString &language)
{
    // The program shows the language being edited: let it show the texts just saved.
    for (const QPointer<TkvLang> &component : std::as_const(m_languages)) {
        if (!component || component->CurrentLanguage != language)
            continue;
        try {
            component->LoadLanguage(language, true, false);
        } catch (const Error &) {
            // the manager has said what went wrong with the file already
        }
    }
}

void TfLangManager::SetAllTranslations(const QString &text)
{
    m_rows.setAllTranslations(text);
    updateActions();
}

void TfLangManager::aSaveLangFilesExecute()
{
    if (m_ui->aSaveLangFiles->isEnabled())
        saveShownLanguage();
}

void TfLangManager::selectLanguage(const QString &language)
{
    const QSignalBlocker block(m_cbCurLang);
    m_cbCurLang->setCurrentIndex(LangList.indexOf(language));
    m_shownLanguage = language;
    m_ui->dbgLang->setColumnTitle(kTranslationField, language.isEmpty() ? kNotSelected : language);
    updateActions();
}

void TfLangManager::cbCurLangChange(int index)
{
    const QString language = m_cbCurLang->itemText(index);
    if (language == m_shownLanguage)
        return;
    // Changes of the language shown are saved first; when that fails the box goes back to it.
    if (m_busy || !saveShownLanguage() || language.isEmpty() || !LoadLangFile(fileOf(language), index)) {
        selectLanguage(m_shownLanguage);
        return;
    }
    selectLanguage(language);
}

void TfLangManager::aAddLangExecute()
{
    if (m_rows.size() == 0 || m_busy || !saveShownLanguage())
        return;
    const std::optional<QString> typed =
        ui::dialogs().input(this, QStringLiteral("New Language"), QStringLiteral("Input name of Language"), {});
    if (!typed)
        return;
    const QString name = typed->trimmed();
    const QString base = m_languages.isEmpty() || !m_languages.first() ? QStringLiteral("English")
                                                                        : m_languages.first()->BaseLanguage;
    const QString problem = languageNameProblem(name, base);
    if (!problem.isEmpty()) {
        QString text = QStringLiteral("Wrong file name! Please try again.");
        if (!name.isEmpty())
            text += u'\n' + problem;
        ui::dialogs().message(this, text, ui::Dialogs::Kind::Error);
        return;
    }
    const QString file = fileOf(name);
    const bool existed = QFile::exists(file);
    if (existed && !ui::dialogs().question(this, QStringLiteral("File exist! Overwrite them?")))
        return;

    const QString before = m_shownLanguage;
    if (ui::dialogs().question(this, QStringLiteral("Leave English equivalent?")))
        m_rows.copyBaseValues();
    else
        m_rows.setAllTranslations(kUntranslated.toString());
    if (!SaveLangFile(file, true)) {
        // Put the language shown before back (its changes were saved above).
        m_rows.loadLanguage(LanguageTree());
        if (!before.isEmpty())
            LoadLangFile(fileOf(before), 0);
        return;
    }
    if (!existed) {
        LangList.append(name);
        m_cbCurLang->addItem(name);
    }
    selectLanguage(name);
    LoadLangFile(file, m_cbCurLang->currentIndex());
    for (const QPointer<TkvLang> &component : std::as_const(m_languages)) {
        if (component)
            component->AddLanguageMenuItem(name);
    }
}

void TfLangManager::aDelLangExecute()
{
    const QString name = m_shownLanguage;
    if (name.isEmpty() || m_busy)
        return;
    if (!ui::dialogs().question(this, QStringLiteral("Delete current Language?\r\n(") + name + u')'))
        return;
    QFile file(fileOf(name));
    if (file.exists() && !file.remove()) {
        ui::dialogs().message(this,
                              QStringLiteral("Could not delete %1: %2. Nothing was changed.")
                                  .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()),
                              ui::Dialogs::Kind::Error);
        return;
    }
    LangList.removeAll(name);
    m_rows.dataset().cancel();
    m_rows.loadLanguage(LanguageTree()); // its translations belong to no file any more
    selectLanguage(QString());
    ListLanguageFiles(LangDir);
    for (const QPointer<TkvLang> &component : std::as_const(m_languages)) {
        if (!component)
            continue;
        component->RemoveLanguageMenuItem(name);
        if (component->CurrentLanguage == name) {
            // The program showed the language just deleted: back to the base language.
            component->CurrentLanguage = component->BaseLanguage;
            if (QAction *entry = component->menuEntry(component->BaseLanguage))
                entry->setChecked(true);
            try {
                component->LoadLanguage(component->BaseLanguage, true, false);
            } catch (const Error &) {
            }
        }
    }
    if (!LangList.isEmpty() && LoadLangFile(fileOf(LangList.first()), 0))
        selectLanguage(LangList.first());
    updateActions();
}

void TfLangManager::aUndoExecute()
{
    if (m_shownLanguage.isEmpty() || m_busy ||
        !ui::dialogs().question(this, QStringLiteral("Undo last unsaved changes?")))
        return;
    m_rows.dataset().cancel();
    LoadLangFile(fileOf(m_shownLanguage), m_cbCurLang->currentIndex());
}

int TfLangManager::currentDisplayRow() const
{
    const Dataset &d = m_rows.dataset();
    const ui::GridProxyModel *proxy = m_ui->dbgLang->proxyModel();
    if (!d.isActive() || d.recNo() < 0 || !proxy->tableModel())
        return -1;
    const QModelIndex shown = proxy->mapFromSource(proxy->tableModel()->index(d.recNo(), 0));
    return shown.isValid() ? shown.row() : -1;
}

void TfLangManager::goToDisplayRow(int row)
{
    const ui::GridProxyModel *proxy = m_ui->dbgLang->proxyModel();
    if (row < 0 || row >= proxy->rowCount())
        return;
    m_ui->dbgLang->setCurrentDatasetRow(proxy->mapToSource(proxy->index(row, 0)).row());
}

void TfLangManager::aFindNextUnTranslExecute()
{
    const int count = m_ui->dbgLang->proxyModel()->rowCount();
    const ui::GridProxyModel *proxy = m_ui->dbgLang->proxyModel();
    for (int row = currentDisplayRow() + 1; row < count; ++row) {
        const int datasetRow = proxy->mapToSource(proxy->index(row, 0)).row();
        if (m_rows.isUntranslated(datasetRow, true)) {
            m_ui->dbgLang->setCurrentCell(datasetRow, kTranslationField);
            return;
        }
    }
    goToDisplayRow(count - 1);
    m_ui->aFindNextUnTransl->setEnabled(false);
}

void TfLangManager::aFindPriorUnTranslExecute()
{
    const ui::GridProxyModel *proxy = m_ui->dbgLang->proxyModel();
    for (int row = currentDisplayRow() - 1; row >= 0; --row) {
        const int datasetRow = proxy->mapToSource(proxy->index(row, 0)).row();
        if (m_rows.isUntranslated(datasetRow, false)) {
            m_ui->dbgLang->setCurrentCell(datasetRow, kTranslationField);
            return;
        }
    }
    goToDisplayRow(0);
    m_ui->aFindPriorUnTransl->setEnabled(false);
}

TfReplace *TfLangManager::findDialog()
{
    if (!m_fReplace)
        m_fReplace = new TfReplace(*m_searchTable, this);
    return m_fReplace;
}

void TfLangManager::aFindExecute()
{
    if (m_rows.size() == 0)
        return;
    m_rows.dataset().checkBrowseMode();
    TfReplace *dialog = findDialog();
    dialog->setMode(0);
    dialog->exec();
    m_ui->dbgLang->view()->setFocus();
}

void TfLangManager::aReplaceExecute()
{
    if (m_rows.size() == 0)
        return;
    m_rows.dataset().checkBrowseMode();
    TfReplace *dialog = findDialog();
    dialog->setMode(1);
    dialog->exec();
    m_ui->dbgLang->view()->setFocus();
}

void TfLangManager::aFindNextExecute()
{
    TfReplace *dialog = findDialog();
    if (!dialog->engine().hasFindText())
        return;
    m_rows.dataset().checkBrowseMode();
    dialog->btnFindNextClick();
    m_ui->dbgLang->view()->setFocus();
}

void TfLangManager::dbgLangTitleClick(int column)
{
    ui::DataGrid *grid = m_ui->dbgLang;
    for (const QString &field : kGridFields)
        grid->setColumnTitle(field, {});
    grid->setColumnTitle(kTranslationField, m_shownLanguage.isEmpty() ? kNotSelected : m_shownLanguage);
    SortState = column == SortColumn ? (SortState + 1) % 3 : 0;
    SortColumn = column;
    const QString field = kGridFields.value(column);
    if (field.isEmpty())
        return;
    const QString title = grid->columnTitle(field);
    switch (SortState) {
    case 0:
        grid->setSortOrder({{field, Qt::AscendingOrder}});
        grid->setColumnTitle(field, title + QStringLiteral(" (down) "));
        break;
    case 1:
        grid->setSortOrder({{field, Qt::DescendingOrder}});
        grid->setColumnTitle(field, title + QStringLiteral(" (up) "));
        break;
    default:
        grid->setSortOrder({}); // the file's order
        break;
    }
}

void TfLangManager::FitColumns()
{
    ui::DataGrid *grid = m_ui->dbgLang;
    const int property = grid->view()->columnWidth(0);
    const int share = (grid->view()->viewport()->width() - 5 - property) / 2;
    if (share > 20) {
        grid->setColumnWidth(LanguageRows::kValueField.toString(), share);
        grid->setColumnWidth(kTranslationField, share);
    }
}

void TfLangManager::LoadPlacement()
{
    QSettings settings(QStringLiteral("Kavrik"), QStringLiteral("kvLang"));
    QRect bounds = geometry();
    const auto read = [&](const char *name, auto apply) {
        const QVariant v = settings.value(QLatin1String(name));
        bool ok = false;
        const int number = v.toInt(&ok);
        if (v.isValid() && ok)
            apply(number);
    };
    read("Top", [&](int v) { bounds.moveTop(v); });
    read("Left", [&](int v) { bounds.moveLeft(v); });
    read("Width", [&](int v) { bounds.setWidth(std::max(v, minimumWidth())); });
    read("Height", [&](int v) { bounds.setHeight(std::max(v, minimumHeight())); });
    if (bounds != geometry()) {
        setGeometry(bounds);
        ui::keepOnScreen(this);
    }
    for (int i = 0; i < 3; ++i)
        read(QStringLiteral("ColWidth%1").arg(i + 1).toLatin1().constData(),
             [&](int v) { m_ui->dbgLang->setColumnWidth(kGridFields.at(i), std::clamp(v, 20, 2000)); });
}

void TfLangManager::SavePlacement()
{
    QSettings settings(QStringLiteral("Kavrik"), QStringLiteral("kvLang"));
    const QRect bounds = geometry();
    settings.setValue(QStringLiteral("Top"), bounds.top());
    settings.setValue(QStringLiteral("Left"), bounds.left());
    settings.setValue(QStringLiteral("Width"), bounds.width());
    settings.setValue(QStringLiteral("Height"), bounds.height());
    for (int i = 0; i < 3; ++i)
        settings.setValue(QStringLiteral("ColWidth%1").arg(i + 1), m_ui->dbgLang->view()->columnWidth(i));
}

void TfLangManager::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    SavePlacement();
    // Unsaved changes are saved without a question; a save that fails keeps the window open.
    if (!saveShownLanguage()) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_fReplace)
        m_fReplace->hide();
    emit closed();
}

void TfLangManager::standardEdit(const char *slot, int key)
{
    QWidget *focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit *>(focus) || qobject_cast<QPlainTextEdit *>(focus)) {
        QMetaObject::invokeMethod(focus, slot);
        return;
    }
    if (focus == m_ui->dbgLang->view()) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        QApplication::sendEvent(focus, &press);
    }
}

bool TfLangManager::eventFilter(QObject *watched, QEvent *event)
{
    QTableView *view = m_ui->dbgLang->view();
    if (watched == view && event->type() == QEvent::KeyPress) {
        // Rows are never inserted or deleted here: Insert and Ctrl+Delete act as Enter.
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
        if ((key->key() == Qt::Key_Insert && mods == Qt::NoModifier) ||
            (key->key() == Qt::Key_Delete && mods == Qt::ControlModifier)) {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(view, &enter);
            return true;
        }
    } else if (watched == view->viewport() && event->type() == QEvent::Wheel) {
        const int row = currentDisplayRow();
        if (row >= 0)
            goToDisplayRow(static_cast<QWheelEvent *>(event)->angleDelta().y() < 0 ? row + 1 : row - 1);
    } else if (watched == m_ui->dbgLang && event->type() == QEvent::Resize) {
        FitColumns();
    } else if (watched == m_ui->dbmTranslated && event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            QMetaObject::invokeMethod(m_ui->dbmTranslated, "selectAll", Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfLangManager::aExportXliffExecute()
{
    if (m_shownLanguage.isEmpty() || m_busy)
        return;
    QString code = guessLanguageCode(m_shownLanguage);
    if (code.isEmpty()) {
        const std::optional<QString> typed = ui::dialogs().input(
            this, m_ui->aExportXliff->text(),
            QStringLiteral("Language code of %1 (for example de, fr or pt-BR)").arg(m_shownLanguage), {});
        if (!typed)
            return;
        code = typed->trimmed();
    }
    const QString fileName = ui::dialogs().saveFileName(
        this, m_ui->aExportXliff->text(), QDir::home().filePath(m_shownLanguage + QStringLiteral(".xlf")),
        QStringLiteral("XLIFF files (*.xlf *.xliff);;All files (*)"));
    if (fileName.isEmpty())
        return;
    try {
        m_rows.dataset().checkBrowseMode();
        writeFileAtomically(fileName, exportXliff(m_rows, code, m_shownLanguage + QStringLiteral(".lng")));
        setStatus(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(fileName)));
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
}

void TfLangManager::aImportXliffExecute()
{
    if (m_shownLanguage.isEmpty() || m_busy)
        return;
    const QString fileName = ui::dialogs().openFileName(this, m_ui->aImportXliff->text(), QDir::homePath(),
                                                        QStringLiteral("XLIFF files (*.xlf *.xliff);;All files (*)"));
    if (fileName.isEmpty())
        return;
    XliffImport result;
    try {
        m_rows.dataset().checkBrowseMode();
        result = importXliff(readWholeFile(fileName), m_rows);
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text() + QStringLiteral("\nNo translation was changed."), ui::Dialogs::Kind::Error);
        return;
    }
    updateActions();
    showCurrentRow();
    // Long lists are cut: the window cannot show thousands of ids, and the first ones tell what happened.
    const auto ids = [](const QStringList &list) {
        return list.size() <= 10 ? list.join(QStringLiteral(", "))
                                 : list.mid(0, 10).join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(list.size() - 10);
    };
    QString text = QStringLiteral("%1 translations taken from %2; save to keep them.")
                       .arg(result.applied.size())
                       .arg(QDir::toNativeSeparators(fileName));
    if (!result.changedSource.isEmpty())
        text += QStringLiteral("\nNot taken, the English text has changed since the export: ") + ids(result.changedSource);
    if (!result.unknown.isEmpty())
        text += QStringLiteral("\nNot taken, no such text: ") + ids(result.unknown);
    if (!result.repeated.isEmpty())
        text += QStringLiteral("\nNot taken, a second unit of the same text: ") + ids(result.repeated);
    ui::dialogs().message(this, text,
                          result.hasProblems() ? ui::Dialogs::Kind::Warning : ui::Dialogs::Kind::Information);
}

} // namespace quotaly
