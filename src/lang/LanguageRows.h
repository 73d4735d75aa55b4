#pragma once

#include "LanguageTree.h"
#include "dataset/Dataset.h"

#include <vector>

#include <QHash>
#include <QString>

namespace quotaly {

/// Where a language file entry lands in the language manager's table.
struct LanguageRowKey
{
    QString key;      ///< the entry's dotted path up to its own "=" (a list header's "=" is read as ":")
    QString property; ///< the last dotted segment of the key: the property name or a list item's key
    QString value;    ///< the text after the entry's own "="; empty for forms, components and item-less lines
    bool hasValue = false;
};

/// The key of a tree entry: its dotted path, with the "=" before "(TStrings)", "(TListColumns)" or
/// "(TTntListColumns)" turned into ":" so that the first "=" of an item's path is the item's own.
LanguageRowKey languageRowKey(const LanguageTree &tree, int entry);

/// Why `name` cannot be a language of the folder, or empty when it can. Refused: empty, "/", "\" or NUL in it,
/// starting with ".", "base" or the base language in any case (no file is ever written outside the language folder
/// or over the base file).
QString languageNameProblem(const QString &name, const QString &baseLanguage);

/// A translation as the table keeps it: every line break (CR LF, CR, LF, U+2028, U+2029) one LF, NUL dropped.
QString typedTranslation(const QString &text);

/// The language manager's table: one row per entry of the base file, in file order, with the base value and the
/// translation of one language. The rows live in a Dataset (fields fldComponent, fldPropertyName,
/// fldPropertyValue, fldLngPropertyValue, RecId) so a grid can show and edit them; row n is entry n of the base
/// tree, whatever order a grid shows them in. Values and translations hold line breaks as LF; the file's ":|:"
/// is turned into LF on loading and back on writing.
class LanguageRows
{
public:
    static constexpr QStringView kKeyField = u"fldComponent";
    static constexpr QStringView kPropertyField = u"fldPropertyName";
    static constexpr QStringView kValueField = u"fldPropertyValue";
    static constexpr QStringView kTranslationField = u"fldLngPropertyValue";
    static constexpr QStringView kRecIdField = u"RecId";
    enum Column { Key, Property, Value, Translation, RecId };

    LanguageRows();

    Dataset &dataset() { return m_dataset; }
    const Dataset &dataset() const { return m_dataset; }
    const LanguageTree &baseTree() const { return m_base; }

    /// Builds the rows of a base file, every translation empty.
    void loadBase(const LanguageTree &base);
    /// Loads a language's translations: every translation is cleared first, then each entry of the language
    /// sets the row of the same key (the n-th entry of a key the n-th row of that key). Returns how many entries
    /// found no row.
    int loadLanguage(const LanguageTree &language);
    /// The language file of the current translations: the base tree with every line that has a base value
    /// carrying its translation instead (nothing after "=" when the translation is empty).
    LanguageTree languageTree() const;
    /// Sets every translation, hidden rows included.
    void setAllTranslations(const QString &text);
    /// Every translation is the base value: the file of a new language that keeps the base texts.
    void copyBaseValues();

    int size() const { return m_dataset.recordCount(); }
    QString key(int row) const;
    QString value(int row) const;
    QString translation(int row) const;
    /// Stores a translation (as typedTranslation()) in row `row` through an edit of the dataset.
    void setTranslation(int row, const QString &text);
    /// The first row of a key, -1 when there is none.
    int rowOf(const QString &key) const { return m_firstRow.value(key, -1); }
    /// A row the manager does not show: its base value is empty or one space.
    bool isHidden(int row) const;
    /// The translation is "<<untranslated>>" or (when `orEqual`) the base value itself.
    bool isUntranslated(int row, bool orEqual) const;

    /// A translation changed since the last load or writeFile().
    bool isModified() const { return m_filledUnsaved || m_dataset.changeCount() > 0; }
    /// Writes languageTree() to a file through a temporary file; on success the table counts as unmodified.
    /// Throws Error and changes nothing when it cannot.
    void writeFile(const QString &path);

private:
    void fill(const QList<QString> &translations);

    Dataset m_dataset;
    LanguageTree m_base;
    QList<LanguageRowKey> m_keys;
    QHash<QString, int> m_firstRow;
    std::vector<int> m_nextSameKey; ///< the next row of the same key, -1 after the last
    bool m_filledUnsaved = false;   ///< every translation was set at once and not written yet
};

} // namespace quotaly
