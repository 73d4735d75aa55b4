#include "ReportGridData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quotaly {

namespace {

const QString kFormat = QStringLiteral("quotaly-grid");
constexpr int kVersion = 1;

QJsonArray toArray(const QStringList &cells)
{
    return QJsonArray::fromStringList(cells);
}

// The cells of a JSON array of strings; nullopt when an element is not a string.
std::optional<QStringList> toCells(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList cells;
    for (const QJsonValue &cell : value.toArray()) {
        if (!cell.isString())
            return std::nullopt;
        cells << cell.toString();
    }
    return cells;
}

std::optional<ReportTable> fail(QString *errorText, const QString &why)
{
    if (errorText)
        *errorText = QStringLiteral("The pasted grid data cannot be read: %1.").arg(why);
    return std::nullopt;
}

} // namespace

QByteArray reportGridData(const ReportTable &table)
{
    QJsonArray rows;
    for (const QStringList &row : table.rows)
        rows.append(toArray(row));
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("version"), kVersion);
    root.insert(QStringLiteral("titles"), toArray(table.titles));
    root.insert(QStringLiteral("rows"), rows);
    root.insert(QStringLiteral("footer"), toArray(table.footer));
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<ReportTable> readReportGridData(const QByteArray &data, QString *errorText)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(errorText, QStringLiteral("%1 at byte %2").arg(parseError.errorString()).arg(parseError.offset));
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value(QStringLiteral("format")).toString() != kFormat)
        return fail(errorText, QStringLiteral("it does not come from a Quotaly grid"));
    if (root.value(QStringLiteral("version")).toInt() > kVersion)
        return fail(errorText, QStringLiteral("it was copied from a newer version of Quotaly"));

    ReportTable table;
    const std::optional<QStringList> titles = toCells(root.value(QStringLiteral("titles")));
    if (!titles)
        return fail(errorText, QStringLiteral("the column titles are missing or not texts"));
    table.titles = *titles;
    const QJsonValue rows = root.value(QStringLiteral("rows"));
    if (!rows.isArray())
        return fail(errorText, QStringLiteral("the rows are missing"));
    for (const QJsonValue &row : rows.toArray()) {
        const std::optional<QStringList> cells = toCells(row);
        if (!cells)
            return fail(errorText, QStringLiteral("row %1 is not a list of texts").arg(table.rows.size() + 1));
        table.rows << *cells;
    }
    const QJsonValue footer = root.value(QStringLiteral("footer"));
    if (!footer.isUndefined()) {
        const std::optional<QStringList> cells = toCells(footer);
        if (!cells)
            return fail(errorText, QStringLiteral("the footer is not a list of texts"));
        table.footer = *cells;
    }
    return table;
}

} // namespace quotaly
