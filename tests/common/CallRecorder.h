#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly::office {

/// The call log of a recording office: one readable line per call, such as `formField(doc1, "pVATNo") -> pVATNo`,
/// and the failures a test has asked for.
class CallRecorder
{
public:
    /// Every later call whose line starts with pattern throws quotaly::Error(message); times limits how many calls
    /// fail (negative: all of them).
    void failOn(const QString &pattern, const QString &message, int times = -1);
    const QStringList &log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    /// Throws, and logs the line with the failure, when a failure was asked for on this call.
    void check(const QString &line);
    /// Logs the line with the failure and throws quotaly::Error(message).
    [[noreturn]] void fail(const QString &line, const QString &message);
    /// Logs a call that returns nothing.
    void done(const QString &line) { m_log << line; }
    /// Logs a call with what it returns.
    void returned(const QString &line, const QString &result) { m_log << line + QStringLiteral(" -> ") + result; }

    /// Text in double quotes, with backslashes, quotes, TAB and line breaks written as C escapes.
    static QString quoted(const QString &text);
    /// The shortest text that reads back as the same double.
    static QString number(double value);
    static QString boolean(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

private:
    struct FailureRule
    {
        QString pattern;
        QString message;
        int remaining;
    };

    QStringList m_log;
    QList<FailureRule> m_rules;
};

} // namespace quotaly::office
