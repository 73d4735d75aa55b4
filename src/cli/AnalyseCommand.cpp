#include "AnalyseCommand.h"

#include "dataset/Error.h"
#include "trados/TTradosReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli analyse LOG [--json]\n"
    "Reads an analysis log and shows, for each of its nine rows, the segments, words, percent and placeables.\n"
    "LOG is read by its extension: .log (the job's table: the \"Analyse Total\" table of the first run, or the\n"
    "first table), .txt (all tables summed, percentages averaged) or .csv (semicolon-separated export). A file\n"
    "with no analysis table (or another extension) is refused. Numbers in .log and .txt use the decimal point of\n"
    "the current locale. The words of row 0 (context matches) are priced in no category: they are shown as\n"
    "\"Unpriced words\".\n"
    "  --json   print {\"file\", \"segments\", \"words\", \"percent\", \"placeables\", \"unpricedWords\"}, rows 0 to 8,\n"
    "           unrounded\n"
    "  -h, --help  show this help\n"
    "Messages about the log go to stderr. Exit status: 0 read, 1 wrong arguments, 2 missing or unreadable log,\n"
    "or no analysis table in it.\n";

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

QString jsonRows(const TTradosReader::Rows &rows)
{
    QStringList numbers;
    for (const double value : rows)
        numbers << exactNumber(value);
    return u'[' + numbers.join(QStringLiteral(", ")) + u']';
}

/// Written by hand rather than through QJsonObject so that the keys keep their documented order.
void printJson(QTextStream &out, const TTradosReader &reader)
{
    out << "{\n"
        << "    \"file\": " << jsonString(reader.FileName) << ",\n"
        << "    \"segments\": " << jsonRows(reader.segments()) << ",\n"
        << "    \"words\": " << jsonRows(reader.words()) << ",\n"
        << "    \"percent\": " << jsonRows(reader.percent()) << ",\n"
        << "    \"placeables\": " << jsonRows(reader.placeables()) << ",\n"
        << "    \"unpricedWords\": " << exactNumber(reader.words()[0]) << "\n"
        << "}\n";
}

void printText(QTextStream &out, const TTradosReader &reader)
{
    out << "File: " << reader.FileName << '\n';
    const auto line = [&out](const QString &label, const QStringList &cells) {
        out << label.leftJustified(12);
        for (const QString &cell : cells)
            out << ' ' << cell.rightJustified(16);
        out << '\n';
    };
    line(QStringLiteral("Match Types"), {QStringLiteral("Segments"), QStringLiteral("Words"), QStringLiteral("Percent"),
                                         QStringLiteral("Placeables")});
    for (int r = 0; r < 9; ++r) {
        line(QString::fromLatin1(kRowLabels[r]),
             {plainNumber(reader.segments()[r]), plainNumber(reader.words()[r]), plainNumber(reader.percent()[r]),
              plainNumber(reader.placeables()[r])});
    }
    out << "Unpriced words: " << plainNumber(reader.words()[0]) << " (context matches, priced in no category)\n";
}


} // namespace

int runAnalyse(const QStringList &args, Streams &io)
{
    FileArguments parsed;
    if (const auto done = parseFileArguments(args, io, "analyse", kUsage, QStringLiteral("log"), parsed))
        return *done;
    const QString &path = parsed.path;
    const bool json = parsed.json;

    // One line per message, whatever the message holds.
    TTradosReader reader([&io](const QString &text) { io.err << "quotaly-cli: " << text.simplified() << Qt::endl; });
    reader.FileName = path;
    try {
        reader.Load();
    } catch (const Error &error) {
        return reportFailure(io, error);
    }
    if (!reader.Loaded())
        return ExitFailure; // the reader has said that the file is missing
    if (!reader.TableFound())
        return reportFailure(io, Error(TTradosReader::noTableMessage(path)));
    if (json)
        printJson(io.out, reader);
    else
        printText(io.out, reader);
    return ExitOk;
}

} // namespace quotaly::cli
