#include "ClientsCommand.h"

#include "app/AppPaths.h"
#include "app/TDM.h"
#include "clients/ClientImportParser.h"
#include "clients/ClientImporter.h"
#include "clients/Biff4Writer.h"
#include "clients/ClientList.h"
#include "clients/ExportFile.h"
#include "dataset/Error.h"
#include "dataset/RowCollator.h"

#include <memory>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli clients list [--data DIR]\n"
    "       quotaly-cli clients export FILE [--format csv|txt|html|xls] [--force] [--data DIR]\n"
    "       quotaly-cli clients import FILE [--delimiter C] [--save] [--data DIR]\n"
    "       quotaly-cli clients duplicates [--delete [--save]] [--data DIR]\n"
    "The client list of Quotaly's data folder, sorted as the client list window first shows it (every column\n"
    "ascending, by the rules of the system's language).\n"
    "  list             print one client a line, its eleven fields separated by TAB characters\n"
    "                   (a TAB, line break or backslash inside a value is shown as \\t, \\r, \\n, \\\\)\n"
    "  export FILE      write the list to FILE as the client list window's Export does; the format follows\n"
    "                   --format, else the file's extension (.csv, .txt, .htm or .html, .xls); a name without\n"
    "                   any extension gets the format's\n"
    "  --force          replace the file a name without extension leads to, and write an Excel 4.0 file even\n"
    "                   when some characters cannot be kept (they become \"?\"); without it both are refused\n"
    "  import FILE      add the clients of a delimited text file as the import window does; prints the summary\n"
    "  duplicates       print how many clients repeat the one before them in every field\n"
    "  --delimiter C    split the import file at C (one character, or \"tab\") instead of the detected one;\n"
    "                   an empty C splits at spaces\n"
    "  --delete         delete the duplicates found, keeping the first client of each run\n"
    "  --save           write the changed client files to the data folder (nothing is written without it)\n"
    "  --data DIR       the data folder (default: the one Quotaly itself uses)\n";

struct Options
{
    QString action;
    QString file;
    QString data;
    QString format;
    std::optional<QString> delimiter;
    bool save = false;
    bool deleteDuplicates = false;
    bool force = false;
};

// The options each action takes besides --data.
bool allowed(const Options &o, const QString &option)
{
    if (o.action == u"import")
        return option == u"--delimiter" || option == u"--save";
    if (o.action == u"duplicates")
        return option == u"--delete" || option == u"--save";
    if (o.action == u"export")
        return option == u"--format" || option == u"--force";
    return false;
}

// The format asked for with --format, else the one of the file's extension.
std::optional<ExportFormat> exportFormat(const Options &o)
{
    if (o.format.isEmpty())
        return exportFormatForFile(o.file);
    const QString f = o.format.toLower();
    if (f == u"csv")
        return ExportFormat::Csv;
    if (f == u"txt")
        return ExportFormat::Tab;
    if (f == u"html" || f == u"htm")
        return ExportFormat::Html;
    if (f == u"xls")
        return ExportFormat::Excel;
    return std::nullopt;
}

// Parses the arguments; returns an error text, empty when they are fine.
QString parseOptions(QStringList args, Options &o)
{
    if (args.isEmpty() || args.first().startsWith(u'-'))
        return QStringLiteral("missing the action (list, export, import or duplicates)");
    o.action = args.takeFirst();
    if (!QStringList{"list", "export", "import", "duplicates"}.contains(o.action))
        return QStringLiteral("unknown action \"%1\"").arg(o.action);
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a.startsWith(u'-') && a != u"--data" && !allowed(o, a))
            return QStringLiteral("%1 does not go with %2").arg(a, o.action);
        if (a == u"--data" || a == u"--delimiter" || a == u"--format") {
            if (args.isEmpty())
                return QStringLiteral("%1 needs a value").arg(a);
            (a == u"--data" ? o.data : a == u"--format" ? o.format : o.delimiter.emplace()) = args.takeFirst();
        } else if (a == u"--save") {
            o.save = true;
        } else if (a == u"--delete") {
            o.deleteDuplicates = true;
        } else if (a == u"--force") {
            o.force = true;
        } else if ((o.action == u"import" || o.action == u"export") && o.file.isEmpty()) {
            o.file = a;
        } else {
            return QStringLiteral("unexpected argument \"%1\"").arg(a);
        }
    }
    if (o.action == u"import" && o.file.isEmpty())
        return QStringLiteral("missing the file to import");
    if (o.action == u"export" && o.file.isEmpty())
        return QStringLiteral("missing the file to export to");
    if (o.action == u"export" && !exportFormat(o))
        return o.format.isEmpty()
                   ? QStringLiteral("cannot tell the format from the name \"%1\"; give --format").arg(o.file)
                   : QStringLiteral("unknown format \"%1\" (csv, txt, html or xls)").arg(o.format);
    if (o.delimiter && o.delimiter->size() > 1 && *o.delimiter != u"tab")
        return QStringLiteral("--delimiter takes one character or \"tab\"");
    if (o.action == u"duplicates" && o.save && !o.deleteDuplicates)
        return QStringLiteral("--save goes with --delete");
    return {};
}

/// Every command ends the process: a long client list is many small blocks of memory, and the system takes them
/// back at once, so the data module is left to it instead of being freed block by block (a fifth of an import's
/// time). It stays reachable, so leak checkers do not count it.
struct LeftToTheSystem
{
    void operator()(TDM *dm) const
    {
        // Never destroyed, so what it holds stays reachable to the end.
        static auto *const left = new std::vector<TDM *>;
        left->push_back(dm);
    }
};
using DataModule = std::unique_ptr<TDM, LeftToTheSystem>;

// The data module on the data folder, with the client datasets loaded; nothing is written unless asked.
DataModule openData(const Options &o)
{
    const QString dataDir = o.data.isEmpty() ? AppPaths::current().dataDir : QDir(o.data).absolutePath() + u'/';
    DataModule dm(new TDM(dataDir));
    dm->saveOnExit = false;
    QStringList failures;
    dm->report = [&failures](const QString &text) { failures << text; };
    dm->LoadDataSets();
    dm->report = nullptr;
    for (Dataset *needed : {dm->Clients, dm->MatchesByClient, dm->OptionsByClient}) {
        if (!needed->isActive()) {
            const QString why = failures.filter(needed->name()).join(u' ');
            throw Error(why.isEmpty()
                            ? QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(needed->fileName()))
                            : why);
        }
    }
    return dm;
}

// The display texts of every client and their positions in the list's first sort.
struct SortedClients
{
    QList<QStringList> texts; ///< in dataset order
    QList<int> order;         ///< dataset rows in display order
};

SortedClients sortedClients(const Dataset &clients)
{
    SortedClients sorted;
    sorted.texts = clientDisplayRows(clients);
    sorted.order = RowCollator(QLocale::system()).sortedOrder(sorted.texts, clientListSortKeys());
    return sorted;
}

QString oneLine(QString text)
{
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\t', QStringLiteral("\\t"));
    text.replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

void save(const QList<Dataset *> &datasets)
{
    for (Dataset *d : datasets) {
        d->checkBrowseMode();
        d->mergeChangeLog();
    }
    const auto failed = Dataset::saveToFiles(datasets);
    if (!failed.isEmpty())
        throw failed.first().second;
}

int list(const Options &o, Streams &io)
{
    const DataModule dm = openData(o);
    const SortedClients sorted = sortedClients(*dm->Clients);
    for (int row : sorted.order) {
        QStringList cells;
        for (const QString &text : sorted.texts.at(row))
            cells << oneLine(text);
        io.out << cells.join(u'\t') << '\n';
    }
    return ExitOk;
}

int exportList(const Options &o, Streams &io)
{
    const ExportFormat format = *exportFormat(o);
    QString fileName = o.file;
    if (!QFileInfo(fileName).fileName().contains(u'.')) {
        fileName += exportExtension(format);
        if (QFileInfo::exists(fileName) && !o.force)
            throw Error(QStringLiteral("%1 exists already; give its whole name, or add --force, to replace it")
                            .arg(QDir::toNativeSeparators(fileName)));
    }
    const DataModule dm = openData(o);
    const SortedClients sorted = sortedClients(*dm->Clients);
    ExportTable table;
    table.title = QStringLiteral("Clients");
    table.captions = clientListFields();
    table.numeric = QList<bool>(table.captions.size(), false);
    for (int row : sorted.order)
        table.addRow(sorted.texts.at(row));
    if (format == ExportFormat::Excel && !o.force) {
        if (const int unkept = biff4UnkeptValues(table); unkept > 0)
            throw Error(QStringLiteral("%1 of the values hold characters an Excel 4.0 worksheet cannot keep; export "
                                       "as .csv or .html to keep them, or add --force to write them as \"?\"")
                            .arg(unkept));
    }
    writeExportFile(fileName, format, table);
    io.out << sorted.order.size() << " clients written to " << QDir::toNativeSeparators(fileName) << '\n';
    return ExitOk;
}

int importFile(const Options &o, Streams &io)
{
    std::optional<QChar> delimiter;
    if (o.delimiter)
        delimiter = o.delimiter->isEmpty() ? QChar(u' ') : *o.delimiter == u"tab" ? QChar(u'\t') : o.delimiter->at(0);
    const QStringList lines = readImportFileLines(o.file);
    const DataModule dm = openData(o);
    ClientImportSplitter splitter(lines, delimiter);
    splitter.setIntermediateKept(false);
    const ClientImportResult result = importClients(*dm->Clients, splitter, lines.size());
    io.out << QString(result.summary).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << '\n';
    if (!o.save)
        io.out << "(not saved: use --save)\n";
    if (o.save)
        save({dm->Clients, dm->MatchesByClient, dm->OptionsByClient});
    return ExitOk;
}

int duplicates(const Options &o, Streams &io)
{
    const DataModule dm = openData(o);
    const SortedClients sorted = sortedClients(*dm->Clients);
    QList<QStringList> inDisplayOrder;
    inDisplayOrder.reserve(sorted.order.size());
    for (int row : sorted.order)
        inDisplayOrder << sorted.texts.at(row);
    QList<int> rows;
    for (int position : findDuplicateRows(inDisplayOrder))
        rows << sorted.order.at(position);
    io.out << rows.size() << " duplicate entries\n";
    if (!o.deleteDuplicates)
        return ExitOk;
    io.out << deleteClientRows(*dm->Clients, rows) << " deleted" << (o.save ? "" : " (not saved: use --save)") << '\n';
    if (o.save)
        save({dm->Clients});
    return ExitOk;
}

} // namespace

int runClients(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "clients", kUsage, parseOptions, [&io](const Options &options) {
        if (options.action == u"list")
            return list(options, io);
        if (options.action == u"export")
            return exportList(options, io);
        if (options.action == u"import")
            return importFile(options, io);
        return duplicates(options, io);
    });
}

} // namespace quotaly::cli
