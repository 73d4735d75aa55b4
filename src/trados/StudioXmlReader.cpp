#include "StudioXmlReader.h"

#include "dataset/Error.h"

#include <cstring>
#include <string>
#include <vector>

#include <QDir>
#include <QIODevice>
#include <QRegularExpression>
#include <QStringDecoder>

namespace quotaly {

namespace {

// A report is a deep but plain tree of empty elements with attributes. A general XML reader spends most of a large
// report's read on what such a report never holds, so this scanner reads just what the report needs, in chunks,
// and still refuses XML that is not well-formed: unclosed or crossed elements, text outside the root, a file cut
// short.
constexpr qint64 kChunk = 1 << 20;
// No tag, comment or declaration of a report comes near this; a longer one is a broken or hostile file.
constexpr size_t kLongestConstruct = 16 << 20;

// The row of a band element; kUnknownCategory for elements that are no band, kNotCounted for those not counted.
int rowOfBand(std::string_view element)
{
    if (element == "perfect" || element == "inContextExact")
        return kContextRow;
    if (element == "exact" || element == "locked")
        return kExactRow;
    if (element == "repeated" || element == "crossFileRepeated")
        return kRepetitionsRow;
    if (element == "new")
        return kNoMatchRow;
    if (element == "total")
        return kTotalRow;
    if (element == "newBaseline" || element == "newLearnings")
        return kNotCounted;
    return kUnknownCategory;
}

bool isNameChar(char c)
{
    return c != '>' && c != '/' && c != '=' && c != '"' && c != '\'' && c != '<' && !std::isspace(uchar(c));
}

class StudioScanner
{
public:
    StudioScanner(QIODevice &device, const QString &fileName) : m_device(device), m_fileName(fileName) {}

    AnalysisReport parse()
    {
        m_report.format = QStringLiteral("Trados Studio XML");
        const QByteArray head = m_device.peek(2);
        if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
            m_utf16 = QStringDecoder(head.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            m_device.read(2);
        }
        while (fill()) {
            if (!scanTag())
                break;
        }
        if (!m_rootSeen)
            fail(QStringLiteral("it holds no XML element"));
        if (!m_stack.empty())
            fail(QStringLiteral("it ends before the element <%1> is closed; the file is cut short")
                     .arg(QString::fromStdString(m_stack.back())));
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

    [[noreturn]] void failHere(const QString &why) const
    {
        fail(QStringLiteral("%1 (near byte %2)").arg(why).arg(m_consumed + qint64(m_pos)));
    }

    // Makes the buffer hold the next '<' and the whole construct it starts; false at the end of the file.
    bool fill()
    {
        for (;;) {
            const char *start = m_buffer.data() + m_pos;
            const char *lt = static_cast<const char *>(std::memchr(start, '<', m_buffer.size() - m_pos));
            const size_t text = lt ? size_t(lt - start) : m_buffer.size() - m_pos;
            checkText(std::string_view(start, text));
            m_pos += text;
            if (lt && m_buffer.find('>', m_pos) != std::string::npos)
                return true;
            if (!readMore()) {
                if (m_pos < m_buffer.size())
                    fail(QStringLiteral("it ends inside a tag; the file is cut short"));
                return false;
            }
        }
    }

    bool readMore()
    {
        if (m_buffer.size() - m_pos > kLongestConstruct)
            failHere(QStringLiteral("a tag or comment runs on for more than 16 MB"));
        m_buffer.erase(0, m_pos);
        m_consumed += qint64(m_pos);
        m_pos = 0;
        QByteArray chunk = m_device.read(kChunk);
        if (chunk.isEmpty())
            return false;
        if (m_utf16.isValid())
            chunk = QString(m_utf16.decode(chunk)).toUtf8();
        m_buffer.append(chunk.constData(), size_t(chunk.size()));
        return true;
    }

    // Text between tags: only blanks outside the root element.
    void checkText(std::string_view text) const
    {
        if (!m_stack.empty())
            return;
        for (const char c : text) {
            if (!std::isspace(uchar(c)))
                failHere(m_rootSeen ? QStringLiteral("there is text after the root element")
                                    : QStringLiteral("it is not XML"));
        }
    }

    // Reads the construct at m_pos ('<' ... '>'); returns false when the rest of the file must be read first.
    bool scanTag()
    {
        std::string_view rest(m_buffer.data() + m_pos, m_buffer.size() - m_pos);
        for (const auto &[open, close] : {std::pair{"<!--", "-->"}, {"<?", "?>"}, {"<![CDATA[", "]]>"}}) {
            if (rest.substr(0, std::strlen(open)) == open) {
                const size_t end = rest.find(close, std::strlen(open));
                if (end == std::string_view::npos)
                    return needMore();
                if (*open == '<' && open[1] == '!' && open[2] == '[' && m_stack.empty())
                    failHere(QStringLiteral("there is text outside the root element"));
                m_pos += end + std::strlen(close);
                return true;
            }
        }
        if (rest.substr(0, 2) == "<!")
            failHere(QStringLiteral("it has a document type declaration, which no analysis has"));
        const size_t end = rest.find('>');
        const std::string_view tag = rest.substr(1, end - 1);
        m_pos += end + 1;
        if (tag.substr(0, 1) == "/")
            closeElement(tag.substr(1));
        else
            openElement(tag);
        return true;
    }

    bool needMore()
    {
        if (!readMore())
            fail(QStringLiteral("it ends inside a comment or declaration; the file is cut short"));
        return true;
    }

    void closeElement(std::string_view name)
    {
        while (!name.empty() && std::isspace(uchar(name.back())))
            name.remove_suffix(1);
        if (m_stack.empty() || m_stack.back() != name)
            failHere(QStringLiteral("the element </%1> closes no open element").arg(QString::fromUtf8(name.data(), name.size())));
        m_stack.pop_back();
    }

    void openElement(std::string_view tag)
    {
        const bool empty = tag.substr(tag.empty() ? 0 : tag.size() - 1) == "/";
        if (empty)
            tag.remove_suffix(1);
        size_t i = 0;
        while (i < tag.size() && isNameChar(tag[i]))
            ++i;
        const std::string_view name = tag.substr(0, i);
        if (name.empty())
            failHere(QStringLiteral("a tag has no name"));
        readAttributes(tag.substr(i));
        if (m_stack.empty()) {
            if (m_rootSeen)
                failHere(QStringLiteral("there is a second root element"));
            if (name != "task")
                fail(QStringLiteral("it is XML, but not a Trados Studio analysis"));
            m_rootSeen = true;
        } else {
            element(name);
        }
        if (!empty)
            m_stack.emplace_back(name);
    }

    // What an element means where it stands: task > file|batchTotal > analyse > band.
    void element(std::string_view name)
    {
        if (m_stack.size() == 1) {
            if (name == "file") {
                m_report.files.append(AnalysisFile{attribute("name"), {}});
                m_target = &m_report.files.last().rows;
            } else if (name == "batchTotal") {
                m_hasBatchTotal = true;
                m_target = &m_report.rows;
            } else {
                m_target = nullptr;
            }
        } else if (m_stack.size() == 3 && m_target && m_stack[2] == "analyse") {
            readBand(name);
        }
    }

    void readBand(std::string_view name)
    {
        int row = rowOfBand(name);
        if (name == "fuzzy" || name == "internalFuzzy") {
            const double min = count("min");
            row = min >= 95 ? 3 : min >= 85 ? 4 : min >= 75 ? 5 : 6;
        }
        if (row < 0)
            return;
        AnalysisCounts counts;
        counts.segments = count("segments");
        counts.characters = count("characters");
        counts.placeables = count("placeables");
        if (hasAttribute("words")) {
            counts.words = count("words");
            m_sawWords = true;
        }
        (*m_target)[row] += counts;
    }

    void readAttributes(std::string_view text)
    {
        m_attributes.clear();
        size_t i = 0;
        for (;;) {
            while (i < text.size() && std::isspace(uchar(text[i])))
                ++i;
            if (i == text.size())
                return;
            const size_t nameStart = i;
            while (i < text.size() && isNameChar(text[i]))
                ++i;
            const std::string_view name = text.substr(nameStart, i - nameStart);
            while (i < text.size() && std::isspace(uchar(text[i])))
                ++i;
            if (name.empty() || i + 1 >= text.size() || text[i] != '=')
                failHere(QStringLiteral("an attribute is not written name=\"value\""));
            ++i;
            while (i < text.size() && std::isspace(uchar(text[i])))
                ++i;
            const char quote = i < text.size() ? text[i] : 0;
            const size_t close = (quote == '"' || quote == '\'') ? text.find(quote, i + 1) : std::string_view::npos;
            if (close == std::string_view::npos)
                failHere(QStringLiteral("an attribute value is not quoted"));
            m_attributes.emplace_back(name, text.substr(i + 1, close - i - 1));
            i = close + 1;
        }
    }

    bool hasAttribute(std::string_view name) const
    {
        for (const auto &[key, value] : m_attributes) {
            if (key == name)
                return true;
        }
        return false;
    }

    // The attribute's value with its character references resolved; empty when it is missing.
    QString attribute(std::string_view name) const
    {
        for (const auto &[key, value] : m_attributes) {
            if (key != name)
                continue;
            QString text = QString::fromUtf8(value.data(), qsizetype(value.size()));
            if (!text.contains(u'&'))
                return text;
            static const QRegularExpression reference(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|amp|lt|gt|quot|apos);"));
            QString resolved;
            qsizetype from = 0;
            for (const QRegularExpressionMatch &m : reference.globalMatch(text)) {
                resolved += QStringView(text).sliced(from, m.capturedStart() - from);
                const QString ref = m.captured(1);
                if (ref.startsWith(u'#')) {
                    const char32_t code = ref.startsWith(u"#x") ? ref.sliced(2).toUInt(nullptr, 16) : ref.sliced(1).toUInt();
                    resolved += QString::fromUcs4(&code, 1);
                } else {
                    resolved += ref == u"amp" ? u'&' : ref == u"lt" ? u'<' : ref == u"gt" ? u'>' : ref == u"quot" ? u'"' : u'\'';
                }
                from = m.capturedEnd();
            }
            resolved += QStringView(text).sliced(from);
            return resolved;
        }
        return {};
    }

    double count(std::string_view name) const
    {
        // Counts are short ASCII: they are read where they stand, without a string of their own.
        for (const auto &[key, value] : m_attributes) {
            if (key != name || value.size() > 32)
                continue;
            char16_t wide[32];
            for (size_t i = 0; i < value.size(); ++i)
                wide[i] = uchar(value[i]) < 0x80 ? char16_t(value[i]) : u'?';
            if (const std::optional<double> count = parseCount(QStringView(wide, qsizetype(value.size()))))
                return *count;
        }
        const QString text = attribute(name);
        if (const std::optional<double> value = parseCount(text))
            return *value;
        failCount(text, QStringLiteral("%1 (near byte %2, attribute %3)")
                            .arg(QDir::toNativeSeparators(m_fileName))
                            .arg(m_consumed + qint64(m_pos))
                            .arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    }

    QIODevice &m_device;
    const QString &m_fileName;
    QStringDecoder m_utf16;
    std::string m_buffer;
    size_t m_pos = 0;
    qint64 m_consumed = 0;
    std::vector<std::string> m_stack;
    std::vector<std::pair<std::string_view, std::string_view>> m_attributes;
    AnalysisRows *m_target = nullptr;
    AnalysisReport m_report;
    bool m_rootSeen = false;
    bool m_hasBatchTotal = false;
    bool m_sawWords = false;
};

} // namespace

AnalysisReport readStudioXml(QIODevice &device, const QString &fileName)
{
    return StudioScanner(device, fileName).parse();
}

bool looksLikeStudioXml(QStringView start)
{
    static const QRegularExpression root(QStringLiteral("^\\s*(<\\?xml[^>]*\\?>\\s*)?(<!--.*?-->\\s*)*<task[\\s>/]"),
                                         QRegularExpression::DotMatchesEverythingOption);
    return root.match(start.toString()).hasMatch();
}

} // namespace quotaly
