#include "StudioXmlReader.h"

#include "dataset/Error.h"

#include <QDir>
#include <QIODevice>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace quotaly {

namespace {

// The row of a band element; kUnknownCategory for elements that are no band.
int rowOfBand(QStringView element, const QXmlStreamAttributes &attributes, const QString &where)
{
    if (element == u"perfect" || element == u"inContextExact")
        return kContextRow;
    if (element == u"exact" || element == u"locked")
        return kExactRow;
    if (element == u"repeated" || element == u"crossFileRepeated")
        return kRepetitionsRow;
    if (element == u"new")
        return kNoMatchRow;
    if (element == u"total")
        return kTotalRow;
    if (element == u"newBaseline" || element == u"newLearnings")
        return kNotCounted;
    if (element == u"fuzzy" || element == u"internalFuzzy") {
        const double min = readCount(attributes.value(QLatin1StringView("min")), where + QStringLiteral(", fuzzy band"));
        return min >= 95 ? 3 : min >= 85 ? 4 : min >= 75 ? 5 : 6;
    }
    return kUnknownCategory;
}

class StudioParser
{
public:
    StudioParser(QIODevice &device, const QString &fileName) : m_xml(&device), m_fileName(fileName) {}

    AnalysisReport parse()
    {
        m_report.format = QStringLiteral("Trados Studio XML");
        if (!m_xml.readNextStartElement() || m_xml.name() != u"task")
            fail(QStringLiteral("it is XML, but not a Trados Studio analysis"));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"file") {
                AnalysisFile file{m_xml.attributes().value(QLatin1StringView("name")).toString(), {}};
                readAnalyse(file.rows);
                m_report.files.append(file);
            } else if (m_xml.name() == u"batchTotal") {
                readAnalyse(m_report.rows);
                m_hasBatchTotal = true;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        if (m_xml.hasError())
            fail(QStringLiteral("%1 (line %2)").arg(m_xml.errorString()).arg(m_xml.lineNumber()));
        if (!m_hasBatchTotal && m_report.files.isEmpty())
            fail(QStringLiteral("it holds no analysis"));
        if (!m_hasBatchTotal)
            m_report.sumFiles();
        m_report.hasWords = m_sawWords;
        m_report.hasCharacters = true;
        m_report.finish(true);
        return std::move(m_report);
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw Error(QStringLiteral("Cannot read %1 as a Trados Studio analysis: %2.")
                        .arg(QDir::toNativeSeparators(m_fileName), why));
    }

    void readAnalyse(AnalysisRows &rows)
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"analyse") {
                m_xml.skipCurrentElement();
                continue;
            }
            while (m_xml.readNextStartElement()) {
                readBand(rows);
                m_xml.skipCurrentElement();
            }
        }
    }

    void readBand(AnalysisRows &rows)
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QString where =
            QStringLiteral("%1, line %2").arg(QDir::toNativeSeparators(m_fileName)).arg(m_xml.lineNumber());
        const int row = rowOfBand(m_xml.name(), attributes, where);
        if (row < 0)
            return;
        AnalysisCounts counts;
        counts.segments = readCount(attributes.value(QLatin1StringView("segments")), where);
        counts.characters = readCount(attributes.value(QLatin1StringView("characters")), where);
        counts.placeables = readCount(attributes.value(QLatin1StringView("placeables")), where);
        if (attributes.hasAttribute(QLatin1StringView("words"))) {
            counts.words = readCount(attributes.value(QLatin1StringView("words")), where);
            m_sawWords = true;
        }
        rows[row] += counts;
    }

    QXmlStreamReader m_xml;
    const QString &m_fileName;
    AnalysisReport m_report;
    bool m_hasBatchTotal = false;
    bool m_sawWords = false;
};

} // namespace

AnalysisReport readStudioXml(QIODevice &device, const QString &fileName)
{
    return StudioParser(device, fileName).parse();
}

bool looksLikeStudioXml(QStringView start)
{
    static const QRegularExpression root(QStringLiteral("^\\s*(<\\?xml[^>]*\\?>\\s*)?(<!--.*?-->\\s*)*<task[\\s>]"),
                                         QRegularExpression::DotMatchesEverythingOption);
    return root.match(start.toString()).hasMatch();
}

} // namespace quotaly
