#include "PhraseJsonReader.h"

#include "dataset/Error.h"

#include <QDir>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quotaly {

namespace {

constexpr qint64 kLargestJson = 64 * 1024 * 1024;

// The row of a band key; kNotCounted for the keys that are no band, kUnknownCategory for unknown bands.
int rowOfKey(const QString &key)
{
    static const QHash<QString, int> rows = {
        {QStringLiteral("contextMatch"), kContextRow}, {QStringLiteral("repetitions"), kRepetitionsRow},
        {QStringLiteral("match101"), kContextRow},     {QStringLiteral("match100"), kExactRow},
        {QStringLiteral("match95"), 3},                {QStringLiteral("match85"), 4},
        {QStringLiteral("match75"), 5},                {QStringLiteral("match50"), 6},
        {QStringLiteral("match0"), kNoMatchRow},       {QStringLiteral("total"), kTotalRow},
        {QStringLiteral("internalMatch95"), 3},        {QStringLiteral("internalMatch85"), 4},
        {QStringLiteral("internalMatch75"), 5},        {QStringLiteral("internalMatch50"), 6},
    };
    return rows.value(key, kUnknownCategory);
}

class PhraseJsonParser
{
public:
    explicit PhraseJsonParser(const QString &fileName) : m_shownName(QDir::toNativeSeparators(fileName)) {}

    [[noreturn]] void fail(const QString &why) const
    {
        throw Error(QStringLiteral("Cannot read %1 as a Phrase (Memsource) analysis: %2.").arg(m_shownName, why));
    }

    AnalysisReport parse(const QByteArray &bytes) const
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        if (error.error != QJsonParseError::NoError)
            fail(QStringLiteral("%1 at character %2").arg(error.errorString()).arg(error.offset));
        const QJsonValue parts = document.object().value(u"analyseLanguageParts");
        if (!parts.isArray() || parts.toArray().isEmpty())
            fail(QStringLiteral("it holds no analyseLanguageParts"));
        AnalysisReport report;
        report.format = QStringLiteral("Phrase (Memsource) JSON");
        report.hasCharacters = true;
        for (const QJsonValue part : parts.toArray()) {
            addBands(part.toObject().value(u"data").toObject(), report.rows);
            for (const QJsonValue job : part.toObject().value(u"jobs").toArray()) {
                AnalysisFile file{job.toObject().value(u"fileName").toString(), {}};
                addBands(job.toObject().value(u"data").toObject(), file.rows);
                report.files.append(file);
            }
        }
        report.hasPercent = parts.toArray().size() == 1;
        report.finish(true);
        return report;
    }

private:
    double count(const QJsonValue &value, const QString &band) const
    {
        const QJsonValue number = value.isObject() ? value.toObject().value(u"sum") : value;
        if (value.isUndefined())
            return 0;
        if (!number.isDouble())
            fail(QStringLiteral("the band \"%1\" holds a count that is not a number").arg(band));
        return readCount(QString::number(number.toDouble(), 'g', 17), m_shownName);
    }

    void addBands(const QJsonObject &data, AnalysisRows &rows) const
    {
        if (data.isEmpty())
            fail(QStringLiteral("an analysis has no data"));
        for (auto it = data.begin(); it != data.end(); ++it) {
            if (!it.value().isObject())
                continue; // charsPerWords and other single figures
            const int row = rowOfKey(it.key());
            if (row == kUnknownCategory)
                fail(QStringLiteral("it has the band \"%1\", which Quotaly does not know").arg(it.key()));
            const QJsonObject band = it.value().toObject();
            rows[row] += AnalysisCounts{count(band.value(u"segments"), it.key()), count(band.value(u"words"), it.key()),
                                        count(band.value(u"characters"), it.key()), 0,
                                        count(band.value(u"percent"), it.key())};
        }
    }

    QString m_shownName;
};

} // namespace

AnalysisReport readPhraseJson(QIODevice &device, const QString &fileName)
{
    const PhraseJsonParser parser(fileName);
    if (device.size() > kLargestJson)
        parser.fail(QStringLiteral("it is larger than any analysis (%1 MB)").arg(device.size() / (1024 * 1024)));
    const QByteArray bytes = device.readAll();
    return parser.parse(bytes);
}

} // namespace quotaly
