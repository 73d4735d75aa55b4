#pragma once

#include "LanguageCodes.h"
#include "dataset/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly {

class LanguageRows;

/// XLIFF 1.2 files of a language, for translators who work in a CAT tool (Trados, memoQ, OmegaT, ...).
///
/// Export writes one <trans-unit> per row the language manager shows (hidden rows are left out), in row order:
/// - `id` and `resname` are the row's key; a key that several shown rows share gets "#2", "#3", ... from its
///   second row on (skipping any id another row has already), so ids are unique within the file;
/// - `<source>` is the English text and `<target>` the translation, with real line breaks where the language
///   file has ":|:", and `xml:space="preserve"` on the unit so that leading and trailing blanks survive;
/// - an untranslated row (empty or "<<untranslated>>") has no `<target>`; a translation equal to its English
///   text (a copy of the base text) has `state="needs-translation"`, any other `state="translated"`;
/// - `source-language` is "en", `target-language` the code given, `datatype` "plaintext".
/// A text holding a character that XML 1.0 cannot carry (control characters other than TAB and line breaks,
/// U+FFFE, U+FFFF, a lone surrogate) is refused with an Error naming the row: dropping it would change the text.
///
/// Import reads a file that a CAT tool has translated: units are matched to rows by `id` in any <file> or
/// <group>; the text content of `<source>` and `<target>` is taken, so inline elements such as <g>, <x/>, <mrk>
/// count by their text. The `state` of a target is not consulted: a non-empty target is applied, an empty or
/// missing one leaves the translation as it is. A unit whose source is not the current English text, an id no
/// shown row has and an id met a second time are reported and not applied. Rows not in the file are not touched.

/// One <trans-unit> as read: texts with every line break as LF.
struct XliffUnit
{
    QString id;
    QString source;
    QString target;
    QString state; ///< the target's state attribute, as written
    bool hasSource = false;
    int line = 0; ///< the line of its <trans-unit> tag
};

/// An XLIFF file as read: the units of all its <file>s in file order, and the attributes of the first <file>.
struct XliffDocument
{
    QString original;
    QString sourceLanguage;
    QString targetLanguage;
    QList<XliffUnit> units;
};

/// What an import did, by unit id in file order.
struct XliffImport
{
    QStringList applied;       ///< translations set to the unit's target
    int unchanged = 0;         ///< units whose target is the translation already
    QStringList untranslated;  ///< units without a target or with an empty one: left as they were
    QStringList changedSource; ///< the source is not the current English text (or is missing): not applied
    QStringList unknown;       ///< no shown row has this id: not applied
    QStringList repeated;      ///< the id was met before in the file: this later unit is not applied

    bool hasProblems() const { return !changedSource.isEmpty() || !unknown.isEmpty() || !repeated.isEmpty(); }
};

/// The XLIFF 1.2 file of the rows' translations (see above). `original` names the language file, e.g.
/// "German.lng". Throws Error for a target language that is not a language code and for a text XML cannot carry.
QByteArray exportXliff(const LanguageRows &rows, const QString &targetLanguage, const QString &original);

/// Reads the bytes of an XLIFF 1.x file. Throws Error, with the line where it is known, for bytes that are not
/// XML (empty or cut short included), another root than <xliff>, a version other than 1.x, or no <file>.
XliffDocument readXliff(const QByteArray &bytes);

/// Applies the units of a document to the rows (see above).
XliffImport applyXliff(const XliffDocument &document, LanguageRows &rows);

/// readXliff() and applyXliff(): a bad file throws and leaves the rows as they were.
XliffImport importXliff(const QByteArray &bytes, LanguageRows &rows);

} // namespace quotaly
