// The find dialog's expression dialect, translated into a PCRE2 pattern for QRegularExpression.
//
// Every literal is written as itself (ASCII letters and digits, characters from U+00A0 on) or as "\x{..}", so no
// character of the dialect can take a PCRE2 meaning it does not have here ("\d", "(?", "*?", "$" before a final
// line break). Groups never capture. "\x", "\u", "\X" and "\U" take one to four hexadecimal digits; two of them
// naming a UTF-16 surrogate pair make one character. Without a hexadecimal digit after it, the letter stands for
// itself like any other escaped character.
#include "lang/FindReplace.h"

#include <algorithm>
#include <optional>

#include <QList>

namespace quotaly {

namespace {

enum class Fault : quint8
{
    None,
    UnexpectedEnd,
    ClassNotClosed,
    Unbalanced,
    Property,
    InvalidRange,
    RangeNotClosed,
    Other,
};

QString faultText(Fault fault)
{
    switch (fault) {
    case Fault::UnexpectedEnd:
        return QStringLiteral("Unexpected end of pattern.");
    case Fault::ClassNotClosed:
        return QStringLiteral("Character class not closed, ']' is missing.");
    case Fault::Unbalanced:
        return QStringLiteral("Unbalanced group expression, ')' is missing.");
    case Fault::Property:
        return QStringLiteral("A character property is invalid");
    case Fault::InvalidRange:
        return QStringLiteral("Invalid repeation range.");
    case Fault::RangeNotClosed:
        return QStringLiteral("Repeation range not closed, '}' is missing.");
    case Fault::None:
    case Fault::Other:
        break;
    }
    return QStringLiteral("Expression is empty.");
}

bool isAsciiAlnum(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

int hexValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return int(c - U'0');
    if (c >= U'a' && c <= U'f')
        return int(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return int(c - U'A') + 10;
    return -1;
}

QString literal(char32_t c)
{
    if (isAsciiAlnum(c) || (c >= 0xA0 && !QChar::isSurrogate(c)))
        return QString::fromUcs4(&c, 1);
    return QStringLiteral("\\x{%1}").arg(uint(c), 0, 16);
}

/// One escaped item: a character, or a property class already written for PCRE2.
struct Escaped
{
    char32_t character = 0;
    QString property;
};

class Translator
{
public:
    explicit Translator(const QString &expression) : m_in(expression.toUcs4()) {}

    Fault run()
    {
        while (!atEnd()) {
            const char32_t c = m_in.at(m_i++);
            if (c != U'*' && c != U'+' && c != U'?' && c != U'{')
                m_quantified = false;
            Fault fault = Fault::None;
            switch (c) {
            case U'\\':
                fault = escapedAtom();
                break;
            case U'[':
                fault = characterClass();
                break;
            case U'(':
                m_groups.append(m_out.size());
                m_out += QStringLiteral("(?:");
                m_atom = -1;
                break;
            case U')':
                if (m_groups.isEmpty())
                    return Fault::Unbalanced;
                m_out += u')';
                m_atom = m_groups.takeLast();
                break;
            case U'|':
            case U'^':
                m_out += c == U'|' ? u'|' : u'^';
                m_atom = -1;
                break;
            case U'$':
                m_out += QStringLiteral("\\z");
                m_atom = -1;
                break;
            case U'.':
                m_atom = m_out.size();
                m_out += QStringLiteral("[^\\r\\n\\x{2028}\\x{2029}]");
                break;
            case U'*':
            case U'+':
            case U'?':
                fault = quantifier(QString(QChar(char16_t(c))));
                break;
            case U'{':
                fault = range();
                break;
            default:
                m_atom = m_out.size();
                m_out += literal(c);
            }
            if (fault != Fault::None)
                return fault;
        }
        return m_groups.isEmpty() ? Fault::None : Fault::Unbalanced;
    }

    QString pattern() const { return m_out; }

private:
    bool atEnd() const { return m_i >= m_in.size(); }
    const char32_t *text() const { return reinterpret_cast<const char32_t *>(m_in.constData()); }
    char32_t peek(qsizetype ahead = 0) const { return m_i + ahead < m_in.size() ? m_in.at(m_i + ahead) : 0; }

    Fault quantifier(const QString &text)
    {
        if (m_atom < 0)
            return Fault::Other;
        // A quantifier on a quantified item repeats the whole of it: "a*?" is (a*)?, never PCRE2's lazy "*?".
        if (m_quantified) {
            m_out.insert(m_atom, QStringLiteral("(?:"));
            m_out += u')';
        }
        m_out += text;
        m_quantified = true;
        return Fault::None;
    }

    /// "{min}", "{min,}" or "{min,max}" after the opening brace.
    Fault range()
    {
        const auto number = [this](int &value) {
            const qsizetype start = m_i;
            value = 0;
            while (peek() >= U'0' && peek() <= U'9' && value <= 0xFFFF)
                value = value * 10 + int(m_in.at(m_i++) - U'0');
            return m_i > start;
        };
        int min = 0;
        int max = -1;
        if (!number(min))
            return Fault::InvalidRange;
        QString text = QString::number(min);
        if (peek() == U',') {
            ++m_i;
            text += u',';
            if (int value = 0; number(value)) {
                max = value;
                text += QString::number(max);
            }
        }
        if (atEnd())
            return Fault::RangeNotClosed;
        if (m_in.at(m_i++) != U'}' || min > 0xFFFF || max > 0xFFFF || (max >= 0 && max < min))
            return Fault::InvalidRange;
        return quantifier(u'{' + text + u'}');
    }

    Fault escapedAtom()
    {
        Escaped item;
        if (const Fault fault = escape(item); fault != Fault::None)
            return fault;
        m_atom = m_out.size();
        m_out += item.property.isEmpty() ? literal(item.character) : item.property;
        return Fault::None;
    }

    /// Reads the escape after a backslash.
    Fault escape(Escaped &item)
    {
        if (atEnd())
            return Fault::UnexpectedEnd;
        const char32_t c = m_in.at(m_i++);
        switch (c) {
        case U'a':
            item.character = 7;
            return Fault::None;
        case U'b':
            item.character = 8;
            return Fault::None;
        case U'f':
            item.character = 12;
            return Fault::None;
        case U'n':
            item.character = 10;
            return Fault::None;
        case U'r':
            item.character = 13;
            return Fault::None;
        case U't':
            item.character = 9;
            return Fault::None;
        case U'v':
            item.character = 11;
            return Fault::None;
        case U'x':
        case U'u':
        case U'X':
        case U'U':
            item.character = hexCodePoint().value_or(c);
            return Fault::None;
        case U'p':
        case U'P':
            return property(c == U'P', item);
        default:
            item.character = c;
            return Fault::None;
        }
    }

    /// One to four hexadecimal digits (a high surrogate followed by an escaped low one make one character).
    std::optional<char32_t> hexCodePoint()
    {
        const auto digits = [this](qsizetype at, char32_t &value) {
            int count = 0;
            value = 0;
            for (; count < 4 && at + count < m_in.size() && hexValue(m_in.at(at + count)) >= 0; ++count)
                value = value * 16 + char32_t(hexValue(m_in.at(at + count)));
            return count;
        };
        char32_t value = 0;
        const int count = digits(m_i, value);
        if (count == 0)
            return std::nullopt;
        m_i += count;
        char32_t low = 0;
        if (QChar::isHighSurrogate(value) && peek() == U'\\' &&
            QStringView(u"xuXU").contains(QChar(char16_t(peek(1)))) && digits(m_i + 2, low) == 4 &&
            QChar::isLowSurrogate(low)) {
            m_i += 6;
            return QChar::surrogateToUcs4(char16_t(value), char16_t(low));
        }
        return value;
    }

    /// "\p{Name}", "\pL" and their negations "\P": a property class PCRE2 knows.
    Fault property(bool negated, Escaped &item)
    {
        if (atEnd())
            return Fault::UnexpectedEnd;
        QString name;
        if (peek() == U'{') {
            const qsizetype close = m_in.indexOf(U'}', m_i);
            if (close < 0)
                return Fault::Property;
            name = QString::fromUcs4(text() + m_i + 1, close - m_i - 1);
            m_i = close + 1;
        } else {
            name = QString::fromUcs4(text() + m_i++, 1);
        }
        item.property = (negated ? QStringLiteral("\\P{") : QStringLiteral("\\p{")) + name + u'}';
        if (name.isEmpty() || !QRegularExpression(item.property).isValid())
            return Fault::Property;
        return Fault::None;
    }

    /// A character set after its "[": members, ranges "a-z", a leading "^" negates; "]" right after the opening
    /// (or after "^") is a member, "-" first or last is a member.
    Fault characterClass()
    {
        m_atom = m_out.size();
        m_out += u'[';
        if (peek() == U'^') {
            m_out += u'^';
            ++m_i;
        }
        for (bool first = true;; first = false) {
            if (atEnd())
                return Fault::ClassNotClosed;
            if (peek() == U']' && !first) {
                ++m_i;
                m_out += u']';
                return Fault::None;
            }
            Escaped from;
            if (const Fault fault = member(from); fault != Fault::None)
                return fault;
            m_out += from.property.isEmpty() ? literal(from.character) : from.property;
            if (peek() == U'-' && m_i + 1 < m_in.size() && peek(1) != U']') {
                ++m_i;
                Escaped to;
                if (const Fault fault = member(to); fault != Fault::None)
                    return fault;
                if (!from.property.isEmpty() || !to.property.isEmpty())
                    return Fault::Other;
                m_out += u'-' + literal(to.character);
            }
        }
    }

    Fault member(Escaped &item)
    {
        const char32_t c = m_in.at(m_i++);
        if (c == U'\\')
            return escape(item);
        item.character = c;
        return Fault::None;
    }

    QList<uint> m_in;
    qsizetype m_i = 0;
    QString m_out;
    qsizetype m_atom = -1; ///< where the item a quantifier would repeat starts in m_out; -1 when there is none
    bool m_quantified = false;
    QList<qsizetype> m_groups;
};

} // namespace

SearchPattern translateSearchPattern(const QString &expression)
{
    SearchPattern result;
    Fault fault = Fault::Other;
    if (!expression.isEmpty()) {
        Translator translator(expression);
        fault = translator.run();
        if (fault == Fault::None && !QRegularExpression(translator.pattern()).isValid())
            fault = Fault::Other;
        if (fault == Fault::None)
            result.pcre = translator.pattern();
    }
    if (fault != Fault::None) {
        result.error = QStringLiteral("Error in regular expression: ") + expression + u'\r' + faultText(fault);
        return result;
    }
    result.anchorsOnly =
        std::all_of(expression.begin(), expression.end(), [](QChar c) { return c == u'^' || c == u'$'; });
    return result;
}

} // namespace quotaly
