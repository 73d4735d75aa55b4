#include "CallRecorder.h"

#include "dataset/Error.h"

#include <QLocale>

namespace quotaly::office {

void CallRecorder::failOn(const QString &pattern, const QString &message, int times)
{
    m_rules.append({pattern, message, times});
}

void CallRecorder::check(const QString &line)
{
    for (FailureRule &rule : m_rules) {
        if (rule.remaining == 0 || !line.startsWith(rule.pattern))
            continue;
        if (rule.remaining > 0)
            --rule.remaining;
        fail(line, rule.message);
    }
}

void CallRecorder::fail(const QString &line, const QString &message)
{
    m_log << line + QStringLiteral(" -> throws ") + quoted(message);
    throw Error(message);
}

QString CallRecorder::quoted(const QString &text)
{
    QString q;
    q.reserve(text.size() + 2);
    q += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            q += QStringLiteral("\\\\");
            break;
        case u'"':
            q += QStringLiteral("\\\"");
            break;
        case u'\t':
            q += QStringLiteral("\\t");
            break;
        case u'\n':
            q += QStringLiteral("\\n");
            break;
        case u'\r':
            q += QStringLiteral("\\r");
            break;
        default:
            q += c;
        }
    }
    q += u'"';
    return q;
}

QString CallRecorder::number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace quotaly::office
