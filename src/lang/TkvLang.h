#pragma once

#include "LanguageTree.h"

#include <functional>

#include <QHash>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QActionGroup;
class QWidget;

namespace quotaly {

class Dataset;

/// Translates the whole interface from language files at run time. Owned by the main window: it fills the
/// "Languages" menu (one radio entry per language, a separator, "Language manager ..."), loads a language file
/// into LanguageTree and writes its texts into every form, the data module's field labels, and every form that
/// is shown later (an application-wide event filter translates each form on its first show).
///
/// Every form keeps the texts it was built with: switching language first puts them back, so a text a language
/// file leaves out shows the base language, never the language before.
class TkvLang : public QObject
{
    Q_OBJECT

public:
    /// `langDir` is the folder of the language files (with a trailing "/"). The language list is built now.
    TkvLang(QWidget *owner, const QString &langDir, const QString &baseLanguage = QStringLiteral("English"));
    ~TkvLang() override;

    QString LangSubFolder = QStringLiteral("Lang/");
    QString BaseLanguage;
    QString CurrentLanguage;
    /// The base language first, then one per language file; built once.
    QStringList LanguageList;
    /// The language file last loaded.
    ::quotaly::LanguageTree LanguageTree;

    const QString &langDir() const { return m_langDir; }

    /// The menu that receives the language entries; BuildLanguageMenu() fills it.
    void setMenuItem(QMenu *menu) { m_menu = menu; }
    QMenu *MenuItem() const { return m_menu; }
    void BuildLanguageMenu();

    /// The datasets of the data module, whose field labels the "DM" section translates.
    void setDataModule(const QList<Dataset *> &datasets) { m_datasets = datasets; }

    /// Loads a language and applies it to every form and the data module; `quiet` shows no wait window. Throws
    /// Error when the file cannot be read or parsed, after saying why (unless `tell` is false); the texts on screen
    /// stay then, except that a failed load of the base language shows the texts the windows were built with.
    /// A load asked for while one runs is refused (false).
    bool LoadLanguage(const QString &language, bool quiet, bool tell = true);
    /// Applies the loaded tree to one form (its own section when `section` is kNone).
    void TranslateForm(QWidget *form, int section = ::quotaly::LanguageTree::kNone);
    void GetLanguages(QStringList &list) const { list = LanguageList; }

    void AddLanguageMenuItem(const QString &language);
    void RemoveLanguageMenuItem(const QString &language);
    /// The menu entry of a language (the first one when there are two of that name); null when there is none.
    QAction *menuEntry(const QString &language) const;
    QAction *languageManagerEntry() const { return m_managerEntry; }

    /// A click on a language entry: loads that language and, when it loaded, raises OnLangChange.
    void LanguageMenuClick(QAction *entry);

    /// Raised after the user chose a language in the menu and it loaded; the sender is the entry.
    std::function<void(QAction *)> OnLangChange;
    /// Opens the language manager; the menu entry is disabled while nothing is set.
    std::function<void()> OpenLanguageManager;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *addLanguageEntry(const QString &language, QAction *before);
    void applyEverywhere();
    void applyToForm(QWidget *form, int section);
    void translateDataModule(int section);
    void checkEntry(const QString &language);

    QPointer<QWidget> m_owner;
    QPointer<QMenu> m_menu;
    QActionGroup *m_group = nullptr;
    QAction *m_separator = nullptr;
    QAction *m_managerEntry = nullptr;
    QString m_langDir;
    QList<Dataset *> m_datasets;
    QHash<QString, QString> m_baseLabels; ///< the data module's field labels as built, by "dataset.field"
    int m_generation = 0;                 ///< counts loads; a form shown later is translated when it lags behind
    bool m_loading = false;
};

} // namespace quotaly
