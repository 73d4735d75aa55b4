#pragma once

// Reading RTF control words in tests that take documents apart.
#include <QString>

namespace quotaly::test {

/// A control word such as \fs20 or \li-108: its letters, its number (may be empty), and the index of the last
/// character it takes, a delimiting space included.
struct RtfControlWord
{
    QString word;
    QString param;
    qsizetype last = 0;
};

/// Reads the control word whose letters start at `i` (just after the backslash).
inline RtfControlWord readRtfControlWord(const QString &rtf, qsizetype i)
{
    qsizetype j = i;
    while (j < rtf.size() && rtf.at(j).isLetter())
        ++j;
    qsizetype k = j;
    if (k < rtf.size() && rtf.at(k) == u'-')
        ++k;
    while (k < rtf.size() && rtf.at(k).isDigit())
        ++k;
    RtfControlWord result{rtf.mid(i, j - i), rtf.mid(j, k - j), k};
    if (k < rtf.size() && rtf.at(k) == u' ')
        ++result.last;
    result.last -= 1;
    return result;
}

} // namespace quotaly::test
