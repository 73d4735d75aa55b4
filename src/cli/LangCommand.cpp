#include "LangCommand.h"

#include "lang/LanguageComparison.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageList.h"

#include <QFileInfo>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli lang check FILE [--base FILE]\n"
    "Reads a language file and prints its encoding, its number of entries, indentation errors, the entries\n"
    "missing from it or not in the base file, and the texts left empty or \"<<untranslated>>\".\n"
    "  --base FILE   the base file to compare with (default: base.lng in the folder of FILE)\n"
    "Exit status: 0 when the file has the entries of the base file and every text is translated, 1 when it\n"
    "differs or the command line is wrong, 2 when a file cannot be read.\n";

struct Options
{
    QString file;
    QString base;
};

QString parse(const QStringList &args, Options &options)
{
    if (args.value(0) != u"check")
        return args.isEmpty() ? QStringLiteral("missing the action")
                              : QStringLiteral("unknown action \"%1\"").arg(args.at(0));
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--base") {
            if (++i == args.size())
                return QStringLiteral("--base needs a file");
            options.base = args.at(i);
        } else if (arg.startsWith(u'-')) {
            return QStringLiteral("unknown option %1").arg(arg);
        } else if (!options.file.isEmpty()) {
            return QStringLiteral("only one language file at a time");
        } else {
            options.file = arg;
        }
    }
    if (options.file.isEmpty())
        return QStringLiteral("missing the language file");
    if (options.base.isEmpty())
        options.base = options.file.chopped(QFileInfo(options.file).fileName().size()) + kBaseLanguageFile.toString();
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

} // namespace

int runLang(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "lang", kUsage, parse,
                              [&io](const Options &options) { return check(options, io); });
}

} // namespace quotaly::cli
