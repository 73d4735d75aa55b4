#include "AnalyseCommand.h"

#include "dataset/Error.h"
#include "trados/AnalysisReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli analyse REPORT [--json] [--per-file]\n"
    "Reads an analysis report and shows, for each of its nine rows, the segments, words, characters (where the\n"
    "report has them), percent and placeables, the detected format and the total of every file.\n"
    "The format is told by the content: Trados Studio analysis XML, memoQ CSV (Trados-compatible, all\n"
    "information) and statistics export, Phrase (Memsource) CSV, JSON and LOG, Wordfast Pro CSV, OmegaT match\n"
    "statistics. Any other .log, .txt or .csv is a Trados log: .log (the job's table: the \"Analyse Total\" table\n"
    "of the first run, or the first table), .txt (all tables summed, percentages averaged) or .csv\n"
    "(semicolon-separated export); numbers in .log and .txt use the decimal point of the current locale.\n"
    "The words of row 0 (context matches) are priced in no category: they are shown as \"Unpriced words\".\n"
    "  --json      print {\"file\", \"format\", \"segments\", \"words\", \"characters\", \"percent\", \"placeables\",\n"
    "              \"unpricedWords\", \"files\"}, rows 0 to 8, unrounded; \"files\" lists each file's name,\n"
    "              words and characters (with --per-file, all its rows as well)\n"
    "  --per-file  print every file's rows, not only its total\n"
    "  -h, --help  show this help\n"
    "Messages about the report go to stderr. Exit status: 0 read, 1 wrong arguments, 2 missing or unreadable\n"
    "report, or no analysis in it.\n";

constexpr const char *kRowLabels[] = {"Context TM", "Repetitions", "100%",     "95% - 99%", "85% - 94%",
                                      "75% - 84%",  "50% - 74%",   "No Match", "Total"};

/// Shortest text that reads back as the same double: JSON numbers are unrounded.
QString exactNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

/// Fifteen significant digits hide the binary noise of averages (1.94 rather than 1.9400000000000002).
QString plainNumber(double value)
{
    return QString::number(value, 'g', 15);
}

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.sliced(1, array.size() - 2));
}

QString jsonRows(const AnalysisRows &rows, double AnalysisCounts::*field)
{
    QStringList numbers;
    for (const AnalysisCounts &row : rows)
        numbers << exactNumber(row.*field);
    return u'[' + numbers.join(QStringLiteral(", ")) + u']';
}

QString jsonRowsObject(const AnalysisRows &rows, const QString &indent)
{
    return QStringLiteral("{\"segments\": %1,\n%2\"words\": %3,\n%2\"characters\": %4,\n%2\"percent\": %5,\n"
                          "%2\"placeables\": %6}")
        .arg(jsonRows(rows, &AnalysisCounts::segments), indent, jsonRows(rows, &AnalysisCounts::words),
             jsonRows(rows, &AnalysisCounts::characters), jsonRows(rows, &AnalysisCounts::percent),
             jsonRows(rows, &AnalysisCounts::placeables));
}

/// Written by hand rather than through QJsonObject so that the keys keep their documented order.
void printJson(QTextStream &out, const QString &path, const AnalysisReport &report, bool perFile)
{
    const AnalysisRows &rows = report.rows;
    out << "{\n"
        << "    \"file\": " << jsonString(path) << ",\n"
        << "    \"format\": " << jsonString(report.format) << ",\n"
        << "    \"segments\": " << jsonRows(rows, &AnalysisCounts::segments) << ",\n"
        << "    \"words\": " << jsonRows(rows, &AnalysisCounts::words) << ",\n"
        << "    \"characters\": " << jsonRows(rows, &AnalysisCounts::characters) << ",\n"
        << "    \"percent\": " << jsonRows(rows, &AnalysisCounts::percent) << ",\n"
        << "    \"placeables\": " << jsonRows(rows, &AnalysisCounts::placeables) << ",\n"
        << "    \"unpricedWords\": " << exactNumber(rows[kContextRow].words) << ",\n"
        << "    \"files\": [";
    for (qsizetype i = 0; i < report.files.size(); ++i) {
        const AnalysisFile &file = report.files[i];
        out << (i ? ",\n" : "\n") << "        {\"name\": " << jsonString(file.name)
            << ", \"words\": " << exactNumber(file.rows[kTotalRow].words)
            << ", \"characters\": " << exactNumber(file.rows[kTotalRow].characters);
        if (perFile)
            out << ",\n         \"rows\": " << jsonRowsObject(file.rows, QStringLiteral("                  "));
        out << '}';
    }
    out << (report.files.isEmpty() ? "]\n" : "\n    ]\n") << "}\n";
}

void printTable(QTextStream &out, const AnalysisReport &report, const AnalysisRows &rows)
{
    const auto line = [&out](const QString &label, const QStringList &cells) {
        out << label.leftJustified(12);
        for (const QString &cell : cells)
            out << ' ' << cell.rightJustified(16);
        out << '\n';
    };
    QStringList heading{QStringLiteral("Segments"), QStringLiteral("Words")};
    if (report.hasCharacters)
        heading << QStringLiteral("Characters");
    line(QStringLiteral("Match Types"), heading << QStringLiteral("Percent") << QStringLiteral("Placeables"));
    for (int r = 0; r < 9; ++r) {
        QStringList cells{plainNumber(rows[r].segments), plainNumber(rows[r].words)};
        if (report.hasCharacters)
            cells << plainNumber(rows[r].characters);
        line(QString::fromLatin1(kRowLabels[r]), cells << plainNumber(rows[r].percent) << plainNumber(rows[r].placeables));
    }
}

void printText(QTextStream &out, const QString &path, const AnalysisReport &report, bool perFile)
{
    out << "File: " << path << '\n' << "Format: " << report.format << '\n';
    if (!report.hasWords)
        out << "The report counts characters only.\n";
    printTable(out, report, report.rows);
    out << "Unpriced words: " << plainNumber(report.rows[kContextRow].words)
        << " (context matches, priced in no category)\n";
    if (report.files.isEmpty())
        return;
    out << "\nFiles: " << report.files.size() << '\n';
    for (const AnalysisFile &file : report.files) {
        out << file.name << ": " << plainNumber(file.rows[kTotalRow].words) << " words";
        if (report.hasCharacters)
            out << ", " << plainNumber(file.rows[kTotalRow].characters) << " characters";
        out << '\n';
        if (perFile) {
            printTable(out, report, file.rows);
            out << '\n';
        }
    }
}

} // namespace

int runAnalyse(const QStringList &args, Streams &io)
{
    QStringList rest = args;
    const bool perFile = rest.removeAll(QStringLiteral("--per-file")) > 0;
    FileArguments parsed;
    if (const auto done = parseFileArguments(rest, io, "analyse", kUsage, QStringLiteral("log"), parsed))
        return *done;
    const QString &path = parsed.path;

    // One line per message, whatever the message holds.
    const auto sink = [&io](const QString &text) { io.err << "quotaly-cli: " << text.simplified() << Qt::endl; };
    std::optional<AnalysisReport> report;
    try {
        report = readAnalysisReport(path, sink);
    } catch (const Error &error) {
        return reportFailure(io, error);
    }
    if (!report)
        return ExitFailure; // the reader has said that the file is missing
    if (parsed.json)
        printJson(io.out, path, *report, perFile);
    else
        printText(io.out, path, *report, perFile);
    return ExitOk;
}

} // namespace quotaly::cli
