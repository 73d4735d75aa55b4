#pragma once

#include "LanguageRows.h"

#include <memory>

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

class QComboBox;
class QLabel;

namespace Ui {
class TfLangManager;
}

namespace quotaly {

namespace ui {
class DataGrid;
}
class TkvLang;
class TfReplace;
class LangGridSearchTable;

/// The language manager: every text of base.lng beside its translation into one language, edited in place, with
/// languages added and removed, untranslated texts found, find and replace, and an XLIFF round trip for a CAT
/// tool. Nothing is written until Save, Add Language, a switch to another language, or closing with changes.
class TfLangManager : public QMainWindow
{
    Q_OBJECT

public:
    /// `languages` are the language components whose menus follow added and removed languages.
    explicit TfLangManager(const QList<TkvLang *> &languages, QWidget *parent = nullptr);
    ~TfLangManager() override;

    /// The folder of the language files, with a trailing "/".
    QString LangDir;
    QStringList LangList;
    int SortColumn = 0;
    int SortState = 0;

    /// Shows the window modally and returns when it has closed.
    void showModal();

    void ListLanguageFiles(const QString &folder);
    /// Index -1 loads the base file and builds the rows; any other loads a language's translations. False (after
    /// saying why) when the file could not be read; the rows then keep what they had.
    bool LoadLangFile(const QString &fileName, int index);
    /// Writes the translations to `fileName` when something changed (or `force`). False (after saying why) when
    /// the file could not be written; the edits are kept.
    bool SaveLangFile(const QString &fileName, bool force = false);
    void SetAllTranslations(const QString &text);
    void FitColumns();
    void LoadPlacement();
    void SavePlacement();

    void aSaveLangFilesExecute();
    void aAddLangExecute();
    void aDelLangExecute();
    void aFindNextUnTranslExecute();
    void aFindPriorUnTranslExecute();
    void aUndoExecute();
    void aFindExecute();
    void aReplaceExecute();
    void aFindNextExecute();
    void aExportXliffExecute();
    void aImportXliffExecute();
    void cbCurLangChange(int index);
    void dbgLangTitleClick(int column);

    ui::DataGrid *dbgLang() const;
    QComboBox *cbCurLang() const { return m_cbCurLang; }
    LanguageRows &rows() { return m_rows; }
    /// The language shown in the translation column; empty when none is.
    QString currentLanguage() const { return m_shownLanguage; }
    /// The find dialog, made on first use.
    TfReplace *findDialog();

signals:
    /// The window has closed (a close that failed to save keeps it open and says nothing here).
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class LangGridSearchTable;
    void connectActions();
    void buildToolBar();
    void bindPanes();
    void showCurrentRow();
    void updateActions();
    void setStatus(const QString &text);
    QString fileOf(const QString &language) const;
    /// Saves the language shown when it has changes; false when that save failed.
    bool saveShownLanguage();
    void selectLanguage(const QString &language);
    int currentDisplayRow() const;
    void goToDisplayRow(int row);
    void applyToProgram(const QString &language);
    void fitToScreen();
    void editTranslationFromPane();
    void standardEdit(const char *slot, int key);

    const std::unique_ptr<Ui::TfLangManager> m_ui;
    QList<QPointer<TkvLang>> m_languages;
    LanguageRows m_rows;
    QComboBox *m_cbCurLang = nullptr;
    QLabel *m_lblLanguage = nullptr;
    QString m_shownLanguage;
    std::unique_ptr<LangGridSearchTable> m_searchTable;
    TfReplace *m_fReplace = nullptr;
    bool m_busy = false;
    bool m_syncingPanes = false;
    bool m_placed = false;
};

} // namespace quotaly
