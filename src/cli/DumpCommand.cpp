#include "DumpCommand.h"

#include "dataset/AtomicFile.h"
#include "dataset/Datapacket.h"
#include "dataset/Error.h"

#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace quotaly::cli {

namespace {

const char kUsage[] = "Usage: quotaly-cli dump FILE.xml [--json]\n"
                      "Shows the columns and the current rows of a datapacket file.\n"
                      "  --json   print a JSON document instead of text\n";

QString numberText(double value)
{
    const QString text = QString::number(value, 'g', 15);
    return text.toDouble() == value ? text : QString::number(value, 'g', QLocale::FloatingPointShortest);
}

/// A value on one line of the text output: NULL is empty, tabs and line breaks are shown as \t, \r, \n.
QString plainValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::Double:
        return numberText(value.toDouble());
    default:
        break;
    }
    QString text = value.toString();
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\t', QStringLiteral("\\t"));
    text.replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

QJsonValue jsonValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QJsonValue::Null;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Double: {
        // JSON has no infinity or NaN; show them as text rather than as null.
        const double number = value.toDouble();
        return std::isfinite(number) ? QJsonValue(number) : QJsonValue(numberText(number));
    }
    default:
        return value.toString();
    }
}

void printText(QTextStream &out, const QString &path, const Datapacket &packet)
{
    qsizetype nameWidth = 0;
    qsizetype typeWidth = 0;
    qsizetype sizeWidth = 0;
    for (const FieldDef &field : packet.fields) {
        nameWidth = std::max(nameWidth, field.name.size());
        typeWidth = std::max(typeWidth, field.typeToken.size());
        sizeWidth = std::max(sizeWidth, QString::number(field.width).size());
    }
    out << "File: " << path << '\n' << "Columns: " << packet.fields.size() << '\n';
    for (const FieldDef &field : packet.fields) {
        QString line = QStringLiteral("  %1  %2  %3")
                           .arg(field.name, -int(nameWidth))
                           .arg(field.typeToken, -int(typeWidth))
                           .arg(field.width > 0 ? QString::number(field.width) : QString(), int(sizeWidth));
        if (field.required)
            line += QStringLiteral("  required");
        out << line.trimmed().prepend(QStringLiteral("  ")) << '\n';
    }
    out << "Rows: " << packet.rows.size() << '\n';
    for (const RowValues &row : packet.rows) {
        QStringList cells;
        for (const QVariant &value : row)
            cells << plainValue(value);
        out << cells.join(u'\t') << '\n';
    }
}

void printJson(QTextStream &out, const QString &path, const Datapacket &packet)
{
    QJsonArray columns;
    for (const FieldDef &field : packet.fields) {
        columns.append(QJsonObject{{QStringLiteral("name"), field.name},
                                   {QStringLiteral("type"), field.typeToken},
                                   {QStringLiteral("width"), field.width},
                                   {QStringLiteral("required"), field.required}});
    }
    QJsonArray rows;
    for (const RowValues &row : packet.rows) {
        QJsonObject object;
        for (qsizetype i = 0; i < packet.fields.size(); ++i)
            object.insert(packet.fields.at(i).name, jsonValue(i < row.size() ? row.at(i) : QVariant()));
        rows.append(object);
    }
    const QJsonObject root{
        {QStringLiteral("file"), path}, {QStringLiteral("columns"), columns}, {QStringLiteral("rows"), rows}};
    out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}


} // namespace

int runDump(const QStringList &args, Streams &io)
{
    FileArguments parsed;
    if (const auto done = parseFileArguments(args, io, "dump", kUsage, QStringLiteral("file"), parsed))
        return *done;
    const QString &path = parsed.path;
    const bool json = parsed.json;

    Datapacket packet;
    try {
        const QByteArray bytes = readWholeFile(path);
        try {
            packet = readDatapacket(bytes);
        } catch (const Error &error) {
            throw Error(path + QStringLiteral(": ") + error.text());
        }
    } catch (const Error &error) {
        return reportFailure(io, error);
    }
    if (json)
        printJson(io.out, path, packet);
    else
        printText(io.out, path, packet);
    return ExitOk;
}

} // namespace quotaly::cli
