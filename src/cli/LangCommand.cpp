#include "LangCommand.h"

#include "app/AppPaths.h"
#include "dataset/AtomicFile.h"
#include "lang/LanguageComparison.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageList.h"
#include "lang/LanguageRows.h"
#include "lang/LanguageText.h"
#include "lang/LanguageXliff.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli lang check FILE [--base FILE]\n"
    "       quotaly-cli lang export-xliff LANGUAGE --out FILE.xlf [--target-language CODE] [--force]\n"
    "                                    [--lang-dir DIR]\n"
    "       quotaly-cli lang import-xliff FILE.xlf [--language NAME] [--lang-dir DIR]\n"
    "  check FILE      reads a language file and prints its encoding, its number of entries, indentation errors,\n"
    "                  the entries missing from it or not in the base file, and the texts left empty or\n"
    "                  \"<<untranslated>>\"\n"
    "  --base FILE     the base file to compare with (default: base.lng in the folder of FILE)\n"
    "  export-xliff    writes the texts of LANGUAGE (base.lng and LANGUAGE.lng of the language folder; without\n"
    "                  LANGUAGE.lng every text is untranslated) to an XLIFF 1.2 file for a CAT tool: one unit per\n"
    "                  text, the English text as source, the translation as target (none when untranslated)\n"
    "  --out FILE.xlf  the file to write; an existing file is only replaced with --force\n"
    "  --target-language CODE  the language code for the CAT tool (default: the code of a well-known\n"
    "                  language name, e.g. de for German or Deutsch)\n"
    "  import-xliff    takes the translations of a translated XLIFF file into <Language>.lng of the language\n"
    "                  folder (created when missing): units are matched by id; a unit whose English text is no\n"
    "                  longer the current one, and an id that is not known, are listed and not applied; an\n"
    "                  empty target leaves the translation as it is\n"
    "  --language NAME the language to write (default: the language file the XLIFF file was exported from,\n"
    "                  else the name of its target language)\n"
    "  --lang-dir DIR  the language folder (default: the one Quotaly itself uses)\n"
    "Exit status: check: 0 when the file has the entries of the base file and every text is translated, 1 when\n"
    "it differs. export-xliff and import-xliff: 0 when done; import-xliff: 3 when some units were listed and\n"
    "not applied (the others were). All: 1 when the command line is wrong, 2 when a file cannot be read or\n"
    "written or is not a valid language or XLIFF file (nothing is written then).\n";

// Some units of an imported file were listed and not applied; the others were.
constexpr int ExitNotAllApplied = 3;

// The name of the base language, which has no language file of its own to export or import.
const QString kBaseLanguage = QStringLiteral("English");

constexpr qint64 kMaxXliffBytes = 64 * 1024 * 1024;

struct Options
{
    QString action;
    QString file; ///< check: the language file; export-xliff: the language; import-xliff: the XLIFF file
    QString base;
    QString out;
    QString targetLanguage;
    QString language;
    QString langDir;
    bool force = false;
};

// The options that take a value, for each action.
QHash<QString, QString *> valueOptions(Options &o)
{
    if (o.action == u"check")
        return {{QStringLiteral("--base"), &o.base}};
    QHash<QString, QString *> options{{QStringLiteral("--lang-dir"), &o.langDir}};
    if (o.action == u"export-xliff") {
        options.insert(QStringLiteral("--out"), &o.out);
        options.insert(QStringLiteral("--target-language"), &o.targetLanguage);
    } else {
        options.insert(QStringLiteral("--language"), &o.language);
    }
    return options;
}

QString parse(const QStringList &args, Options &o)
{
    if (args.isEmpty())
        return QStringLiteral("missing the action (check, export-xliff or import-xliff)");
    o.action = args.first();
    if (o.action != u"check" && o.action != u"export-xliff" && o.action != u"import-xliff")
        return QStringLiteral("unknown action \"%1\"").arg(o.action);
    const QHash<QString, QString *> valued = valueOptions(o);
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (QString *target = valued.value(arg)) {
            if (++i == args.size())
                return QStringLiteral("%1 needs a value").arg(arg);
            *target = args.at(i);
        } else if (arg == u"--force" && o.action == u"export-xliff") {
            o.force = true;
        } else if (arg.startsWith(u'-')) {
            return QStringLiteral("%1 does not go with %2").arg(arg, o.action);
        } else if (!o.file.isEmpty()) {
            return QStringLiteral("unexpected argument \"%1\"").arg(arg);
        } else {
            o.file = arg;
        }
    }
    if (o.file.isEmpty()) {
        return o.action == u"check"          ? QStringLiteral("missing the language file")
               : o.action == u"export-xliff" ? QStringLiteral("missing the language to export")
                                             : QStringLiteral("missing the XLIFF file to import");
    }
    if (o.action == u"export-xliff" && o.out.isEmpty())
        return QStringLiteral("missing --out FILE.xlf");
    if (!o.targetLanguage.isEmpty() && !isLanguageCode(o.targetLanguage))
        return QStringLiteral("\"%1\" is not a language code such as de or pt-BR").arg(o.targetLanguage);
    if (o.action == u"check" && o.base.isEmpty())
        o.base = o.file.chopped(QFileInfo(o.file).fileName().size()) + kBaseLanguageFile.toString();
    return {};
}

void printEntries(Streams &io, const char *title, const QList<LanguageEntryRef> &entries, const QString &file)
{
    if (entries.isEmpty())
        return;
    io.out << title << " (" << entries.size() << "):\n";
    for (const LanguageEntryRef &entry : entries) {
        io.out << "  " << file << ':' << entry.line << ": " << entry.path;
        if (!entry.value.isNull())
            io.out << (entry.value.isEmpty() ? QStringLiteral(" (empty)") : QStringLiteral(" = ") + entry.value);
        io.out << '\n';
    }
}

int check(const Options &options, Streams &io)
{
    LanguageEncoding encoding = LanguageEncoding::Utf8;
    const QString text = LanguageFile::readText(options.file, &encoding);
    QList<LanguageParseProblem> problems;
    const LanguageTree tree = LanguageFile::check(text, &problems);
    io.out << "File: " << options.file << "\nEncoding: " << LanguageFile::encodingName(encoding)
           << "\nEntries: " << tree.size() << '\n';
    for (const LanguageParseProblem &problem : std::as_const(problems))
        io.out << options.file << ':' << problem.line << ": " << problem.message << '\n';
    if (!problems.isEmpty()) {
        io.out << "Not compared with the base file: the indentation does not form a tree.\n";
        return 1;
    }

    LanguageTree base;
    try {
        base = LanguageFile::read(options.base);
    } catch (const LanguageFileError &e) {
        throw Error(QStringLiteral("%1:%2: %3").arg(options.base, QString::number(e.line()), e.text()));
    }
    const LanguageComparison comparison = compareWithBase(tree, base);
    io.out << "Base: " << options.base << " (" << base.size() << " entries)\n";
    printEntries(io, "Missing", comparison.missing, options.base);
    printEntries(io, "Not in the base file", comparison.extra, options.file);
    printEntries(io, "Untranslated", comparison.untranslated, options.file);
    const bool complete = comparison.matches() && comparison.untranslated.isEmpty();
    io.out << (complete ? "Complete: the entries match the base file and every text is translated.\n"
                        : "Incomplete.\n");
    return complete ? 0 : 1;
}

// A language file read whole; an indentation fault names the file and line.
LanguageTree readLanguageFile(const QString &path)
{
    try {
        return LanguageFile::read(path);
    } catch (const LanguageFileError &e) {
        throw Error(
            QStringLiteral("%1:%2: %3").arg(QDir::toNativeSeparators(path), QString::number(e.line()), e.text()));
    }
}

// The rows of the base file with the translations of `language` when its file exists. Returns how many entries
// of the language file the base file does not have; -1 when there is no language file.
int loadRows(LanguageRows &rows, const QString &langDir, const QString &language)
{
    rows.loadBase(readLanguageFile(langDir + kBaseLanguageFile.toString()));
    const QString path = langDir + language + QStringLiteral(".lng");
    return QFileInfo::exists(path) ? rows.loadLanguage(readLanguageFile(path)) : -1;
}

QString languageFolder(const Options &o)
{
    return o.langDir.isEmpty() ? AppPaths::current().langDir : QDir(o.langDir).absolutePath() + u'/';
}

void requireLanguageName(const QString &name)
{
    if (const QString problem = languageNameProblem(name, kBaseLanguage); !problem.isEmpty())
        throw Error(problem);
}

int exportXliffFile(const Options &o, Streams &io)
{
    requireLanguageName(o.file);
    const QString code = o.targetLanguage.isEmpty() ? guessLanguageCode(o.file) : o.targetLanguage;
    if (code.isEmpty()) {
        io.err << "quotaly-cli lang: cannot tell the language code of \"" << o.file
               << "\"; give it with --target-language CODE (for example de or pt-BR)\n";
        return ExitUsage;
    }
    if (QFileInfo(o.out).suffix().compare(u"lng", Qt::CaseInsensitive) == 0)
        throw Error(QStringLiteral("%1 is the name of a language file; give the XLIFF file a name ending in .xlf")
                        .arg(QDir::toNativeSeparators(o.out)));
    if (QFileInfo::exists(o.out) && !o.force)
        throw Error(
            QStringLiteral("%1 exists already; add --force to replace it").arg(QDir::toNativeSeparators(o.out)));
    LanguageRows rows;
    const QString langDir = languageFolder(o);
    const bool existed = loadRows(rows, langDir, o.file) >= 0;
    writeFileAtomically(o.out, exportXliff(rows, code, o.file + QStringLiteral(".lng")));
    int shown = 0;
    int untranslated = 0;
    int same = 0;
    for (int row = 0; row < rows.size(); ++row) {
        if (rows.isHidden(row))
            continue;
        ++shown;
        const QString t = rows.translation(row);
        untranslated += t.isEmpty() || t == kUntranslated;
        same += t == rows.value(row);
    }
    if (!existed)
        io.out << QDir::toNativeSeparators(langDir + o.file)
               << ".lng does not exist yet: every text is untranslated.\n";
    io.out << "Exported " << shown << " texts to " << QDir::toNativeSeparators(o.out) << " (target language " << code
           << "): " << shown - untranslated - same << " translated, " << same << " the same as the English text, "
           << untranslated << " untranslated\n";
    return ExitOk;
}

// The language an XLIFF file belongs to: the language file it was exported from, else its target language.
QString languageOf(const XliffDocument &document)
{
    const QString original = document.original.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    if (original.endsWith(u".lng", Qt::CaseInsensitive) && original.size() > 4)
        return original.chopped(4);
    return languageNameForCode(document.targetLanguage);
}

void printIds(Streams &io, const char *title, const QStringList &ids)
{
    if (ids.isEmpty())
        return;
    io.out << title << " (" << ids.size() << "):\n";
    for (const QString &id : ids)
        io.out << "  " << id << '\n';
}

int importXliffFile(const Options &o, Streams &io)
{
    if (QFileInfo(o.file).size() > kMaxXliffBytes)
        throw Error(QStringLiteral("%1 is larger than %2 MB and was not read.")
                        .arg(QDir::toNativeSeparators(o.file), QString::number(kMaxXliffBytes / (1024 * 1024))));
    const XliffDocument document = readXliff(readWholeFile(o.file));
    const QString language = o.language.isEmpty() ? languageOf(document) : o.language;
    if (language.isEmpty()) {
        io.err << "quotaly-cli lang: cannot tell which language " << QDir::toNativeSeparators(o.file)
               << " holds; give it with --language NAME\n";
        return ExitUsage;
    }
    requireLanguageName(language);
    LanguageRows rows;
    const QString path = languageFolder(o) + language + QStringLiteral(".lng");
    const int unmatched = loadRows(rows, languageFolder(o), language);
    const XliffImport result = applyXliff(document, rows);

    io.out << "Language: " << language << '\n'
           << "Applied: " << result.applied.size() << '\n'
           << "Unchanged: " << result.unchanged << '\n'
           << "Untranslated, left as they were: " << result.untranslated.size() << '\n';
    printIds(io, "Source text changed, not applied", result.changedSource);
    printIds(io, "Unknown ids, not applied", result.unknown);
    printIds(io, "Repeated ids, not applied", result.repeated);
    if (result.applied.isEmpty()) {
        io.out << "Nothing applied: " << QDir::toNativeSeparators(path) << " not written.\n";
    } else {
        rows.writeFile(path);
        io.out << "Written: " << QDir::toNativeSeparators(path) << '\n';
        if (unmatched > 0)
            io.out << "Dropped: " << unmatched << " entries the base file does not have.\n";
    }
    return result.hasProblems() ? ExitNotAllApplied : ExitOk;
}

} // namespace

int runLang(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "lang", kUsage, parse, [&io](const Options &options) {
        if (options.action == u"export-xliff")
            return exportXliffFile(options, io);
        if (options.action == u"import-xliff")
            return importXliffFile(options, io);
        return check(options, io);
    });
}

} // namespace quotaly::cli
