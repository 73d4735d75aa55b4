#include "TTradosReader.h"

#include "TextLineReader.h"
#include "TradosCsvReader.h"
#include "TradosTableReader.h"
#include "dataset/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace quotaly {

TTradosReader::TTradosReader(MessageSink sink) : m_sink(std::move(sink)) {}

bool TTradosReader::GetResults(quint8 kind, Rows &rows)
{
    if (!m_loaded)
        Load();
    if (!m_loaded)
        return false;
    switch (kind) {
    case Segments:
        rows = m_segments;
        return true;
    case Words:
        rows = m_words;
        return true;
    case Percent:
        rows = m_percent;
        return true;
    case Placeables:
        rows = m_placeables;
        return true;
    default:
        return false;
    }
}

void TTradosReader::Load()
{
    m_loaded = false;
    m_tableFound = false;
    m_told = 0;
    m_leftOut = 0;
    const QFileInfo info(FileName);
    if (!info.exists()) {
        tell(QStringLiteral("Error: File ") + FileName + QStringLiteral(" not found."));
        return;
    }
    const QString shownName = QDir::toNativeSeparators(FileName);
    if (info.isDir())
        throw Error(QStringLiteral("Cannot read %1: it is a folder").arg(shownName));
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read %1: %2").arg(shownName, file.errorString()));

    // Only a complete read replaces the values; a failed one leaves them (and Loaded()) as they were.
    const int dot = info.fileName().lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : info.fileName().sliced(dot).toUpper();
    // Messages wait for the end of the read: a file that turns out to hold no analysis table gets one message
    // from the caller instead of one per line that did not convert.
    QStringList pending;
    const TradosNotify notify = [&pending](const QString &text) { pending << text; };
    const auto tellPending = [this, &pending] {
        for (const QString &text : std::as_const(pending))
            tell(text);
        tellLeftOut();
    };
    TradosCounts counts;
    try {
        if (extension == u".LOG") {
            TextLineReader lines(file);
            counts = readTradosLog(lines, TradosNumberParser(QLocale()), notify);
        } else if (extension == u".TXT") {
            TextLineReader lines(file);
            counts = readTradosTxt(lines, TradosNumberParser(QLocale()), notify, FileName);
        } else if (extension == u".CSV") {
            TextLineReader lines(file);
            counts = readTradosCsv(lines, notify, FileName);
        }
    } catch (...) {
        tellPending();
        throw;
    }
    if (counts.tableFound)
        tellPending();
    m_tableFound = counts.tableFound;
    m_segments = counts.segments;
    m_words = counts.words;
    m_percent = counts.percent;
    m_placeables = counts.placeables;
    m_loaded = true;
}

QString TTradosReader::noTableMessage(const QString &fileName)
{
    return QStringLiteral("No analysis table found in %1. Quotaly reads Trados logs (.log, .txt, .csv), Trados Studio "
                          "analysis XML, memoQ CSV and statistics exports, Phrase (Memsource) CSV, JSON and LOG, "
                          "Wordfast Pro CSV and OmegaT match statistics.")
        .arg(QDir::toNativeSeparators(fileName));
}

void TTradosReader::tell(const QString &text)
{
    if (m_told >= kMessageLimit) {
        ++m_leftOut;
        return;
    }
    ++m_told;
    if (m_sink)
        m_sink(text);
}

void TTradosReader::tellLeftOut()
{
    if (m_leftOut > 0 && m_sink)
        m_sink(QStringLiteral("... and %1 more messages not shown").arg(m_leftOut));
    m_leftOut = 0;
}

} // namespace quotaly
