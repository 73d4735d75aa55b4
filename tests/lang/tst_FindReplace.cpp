#include "dataset/Error.h"
#include "lang/FindReplace.h"

#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

/// Rows of "Property|Value|translation"; the first two columns are read-only. Every match shown and every
/// prompt go to one log.
class Table : public SearchTable, public SearchPrompts
{
public:
    QList<QStringList> rows;
    int current = 0;
    QStringList log;
    QList<bool> answers;

    int rowCount() const override { return int(rows.size()); }
    int currentRow() const override { return current; }
    void setCurrentRow(int row) override { current = row; }
    QString cellText(int row, int column) const override { return rows.at(row).at(column); }
    bool isColumnReadOnly(int column) const override { return column < 2; }
    void setCellText(int row, int column, const QString &text) override { rows[row][column] = text; }
    void showMatch(int row, int column, int start, int end) override
    {
        current = row;
        log << u"%1,%2:%3"_s.arg(row).arg(column).arg(rows.at(row).at(column).mid(start, end - start));
    }
    bool ask(const QString &text) override
    {
        log << u'?' + text;
        return !answers.isEmpty() && answers.takeFirst();
    }
    void inform(const QString &text) override { log << u'!' + text; }
};

const QString kEnd = u"?Language Manager has reached the end of the document.\r\n"
                     u"Do you want to continue searching at the beginning?"_s;
const QString kEndNotFound = u"?Language Manager has reached the end of the document. The search item was not "
                             u"found.\r\nDo you want to continue searching at the beginning?"_s;
const QString kBeginNotFound = u"?Language Manager has reached the beginning of the document. The search item was "
                               u"not found.\r\nDo you want to continue searching at the end?"_s;
const QString kFinished = u"!Language Manager has finished searching the document."_s;
const QString kFinishedNotFound =
    u"!Language Manager has finished searching the document. The search item was not found."_s;

QString replaceEnd(int count)
{
    return u"?Language Manager has reached the end of the document.  %1 replacements were made.\r\n"
           u"Do you want to continue searching at the beginning?"_s.arg(count);
}
QString replaceEndNotFound(int count)
{
    return u"?Language Manager has reached the end of the document.  %1 replacements were made."_s.arg(count);
}
QString replaceBegin(int count)
{
    return u"?Language Manager has reached the beginning of the document. %1 replacements were made.\r\n"
           u"Do you want to continue searching at the end?"_s.arg(count);
}
QString completed(int count)
{
    return u"!Language Manager has completed its search of the document and has made %1 replacements."_s.arg(count);
}

QString errorText(const QString &expression, const QString &fault)
{
    return u"Error in regular expression: "_s + expression + u'\r' + fault;
}

} // namespace

class TestFindReplace : public QObject
{
    Q_OBJECT

private slots:
    /// `match` is the first match in `subject`, "-" for none; with a `fault` the expression does not compile.
    void pattern_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("match");
        QTest::addColumn<QString>("fault");

        QTest::newRow("control escapes") << u"\\a\\b\\f\\n\\r\\t\\v"_s << u"x\a\b\f\n\r\t\vy"_s << u"\a\b\f\n\r\t\v"_s
                                         << QString();
        QTest::newRow("\\b is no word boundary") << u"\\bcat"_s << u"cat"_s << u"-"_s << QString();
        QTest::newRow("\\x takes up to four digits") << u"\\x414"_s << u"A4Д"_s << u"Д"_s << QString();
        QTest::newRow("\\u \\X \\U") << u"\\u00e4\\X263A\\U00C4"_s << u"ä☺Ä"_s << u"ä☺Ä"_s << QString();
        QTest::newRow("surrogate pair") << u"\\uD83D\\uDE00"_s << u"a😀"_s << u"😀"_s << QString();
        QTest::newRow("\\x without digits is x") << u"\\xg"_s << u"xg"_s << u"xg"_s << QString();
        QTest::newRow("\\p{Lu}") << u"\\p{Lu}+"_s << u"abÄDe"_s << u"ÄD"_s << QString();
        QTest::newRow("\\PL in a set") << u"[\\PLx]+"_s << u"ab1x2"_s << u"1x2"_s << QString();
        QTest::newRow("\\d is d") << u"\\d\\w\\1"_s << u"5dw1"_s << u"dw1"_s << QString();
        QTest::newRow("escaped specials") << u"\\.\\\\\\[\\(\\$"_s << u"a.\\[($"_s << u".\\[($"_s << QString();
        QTest::newRow(". takes a tab") << u"a.b"_s << u"a\r\nb a\tb"_s << u"a\tb"_s << QString();
        QTest::newRow(". takes no line break") << u"a.b"_s << u"a\nb a\rb a\u2028b a\u2029b"_s << u"-"_s << QString();
        QTest::newRow("$ is the end of the text") << u"b$"_s << u"ab\n"_s << u"-"_s << QString();
        QTest::newRow("*? is no lazy repeat") << u"xa*?"_s << u"xaaa"_s << u"xaaa"_s << QString();
        QTest::newRow("(? is a group") << u"(?a)"_s << u"a"_s << QString() << u"Expression is empty."_s;
        QTest::newRow("set and range") << u"[^a-c]+"_s << u"abxy-c"_s << u"xy-"_s << QString();
        QTest::newRow("] first and - last in a set") << u"[]a-]+"_s << u"x]-a"_s << u"]-a"_s << QString();
        QTest::newRow("counts") << u"a{2}b{1,}c{1,2}"_s << u"aaabbccc"_s << u"aabbcc"_s << QString();
        QTest::newRow("group and alternation") << u"x(ab|c)+"_s << u"xabcab"_s << u"xabcab"_s << QString();

        QTest::newRow("trailing backslash") << u"ab\\"_s << QString() << QString() << u"Unexpected end of pattern."_s;
        QTest::newRow("\\p at the end") << u"\\p"_s << QString() << QString() << u"Unexpected end of pattern."_s;
        QTest::newRow("open set") << u"[ab"_s << QString() << QString()
                                  << u"Character class not closed, ']' is missing."_s;
        QTest::newRow("open group") << u"(ab"_s << QString() << QString()
                                    << u"Unbalanced group expression, ')' is missing."_s;
        QTest::newRow("stray )") << u"ab)"_s << QString() << QString()
                                 << u"Unbalanced group expression, ')' is missing."_s;
        QTest::newRow("unknown property")
            << u"\\p{Foo}"_s << QString() << QString() << u"A character property is invalid"_s;
        QTest::newRow("open property") << u"\\p{Lu"_s << QString() << QString() << u"A character property is invalid"_s;
        QTest::newRow("range max below min") << u"a{3,1}"_s << QString() << QString() << u"Invalid repeation range."_s;
        QTest::newRow("{ without a count") << u"a{x}"_s << QString() << QString() << u"Invalid repeation range."_s;
        QTest::newRow("{ at the end") << u"a{"_s << QString() << QString() << u"Invalid repeation range."_s;
        QTest::newRow("open range") << u"a{3"_s << QString() << QString()
                                    << u"Repeation range not closed, '}' is missing."_s;
        QTest::newRow("open range with comma")
            << u"a{3,"_s << QString() << QString() << u"Repeation range not closed, '}' is missing."_s;
        QTest::newRow("nothing to repeat") << u"*a"_s << QString() << QString() << u"Expression is empty."_s;
        QTest::newRow("range out of order") << u"[z-a]"_s << QString() << QString() << u"Expression is empty."_s;
        QTest::newRow("empty") << QString() << QString() << QString() << u"Expression is empty."_s;
    }

    void pattern()
    {
        QFETCH(QString, expression);
        QFETCH(QString, subject);
        QFETCH(QString, match);
        QFETCH(QString, fault);

        const SearchPattern pattern = translateSearchPattern(expression);
        if (!fault.isEmpty()) {
            QCOMPARE(pattern.error, errorText(expression, fault));
            return;
        }
        QCOMPARE(pattern.error, QString());
        const QRegularExpressionMatch found = QRegularExpression(pattern.pcre).match(subject);
        QCOMPARE(found.hasMatch() ? found.captured() : u"-"_s, match);
    }

    /// `rows` and `after`: rows "Property|Value|translation" joined by ";". `steps`: F find next, R replace, A
    /// replace all, a digit: the user makes that row current, e: the user types "!" after the current translation.
    /// `options`: U up, A all (else down), w whole words, c case-sensitive.
    void walk_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("findWhat");
        QTest::addColumn<QString>("replaceWith");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("after");

        const QList<bool> yes{true};
        QTest::newRow("Property only, down") << u"p|v|t;Key|v|t"_s << 0 << u"key"_s << QString() << QString() << u"FF"_s
                                             << QList<bool>() << QStringList{u"1,0:Key"_s, kEnd} << u"p|v|t;Key|v|t"_s;
        QTest::newRow("Property only, up") << u"Key|v|t;p|v|t;p|v|t"_s << 2 << u"Key"_s << QString() << u"U"_s << u"F"_s
                                           << yes << QStringList{u"0,0:Key"_s} << u"Key|v|t;p|v|t;p|v|t"_s;
        QTest::newRow("Value only, replace mode")
            << u"p|Apfel|t"_s << 0 << u"Apfel"_s << u"B"_s << QString() << u"R"_s << yes
            << QStringList{replaceEndNotFound(0), completed(0)} << u"p|Apfel|t"_s;
        const QString words = u"a|b|cat, dog;a|b|dog-cat;a|b|the cat\tsat;a|b|the cat sat;a|b|cat"_s;
        QTest::newRow("whole words") << words << 0 << u"cat"_s << QString() << u"w"_s << u"FF"_s << yes
                                     << QStringList{u"3,2:cat"_s, u"4,2:cat"_s} << words;
        QTest::newRow("capitals find and replace any case")
            << u"k|v|Äpfel und äpfel"_s << 0 << u"ÄPFEL"_s << u"Birnen"_s << QString() << u"RRR"_s << QList<bool>()
            << QStringList{u"0,2:Äpfel"_s, u"0,2:äpfel"_s, replaceEnd(2)} << u"k|v|Birnen und Birnen"_s;
        QTest::newRow("case-sensitive") << u"k|v|Äpfel ÄPFEL"_s << 0 << u"ÄPFEL"_s << QString() << u"c"_s << u"F"_s
                                        << yes << QStringList{u"0,2:ÄPFEL"_s} << u"k|v|Äpfel ÄPFEL"_s;
        QTest::newRow("dot found and replaced")
            << u"k|v|colour"_s << 0 << u"col.ur"_s << u"color"_s << QString() << u"RR"_s << QList<bool>()
            << QStringList{u"0,2:colour"_s, replaceEnd(1)} << u"k|v|color"_s;
        QTest::newRow("count across a wrap, up to where it began")
            << u"a|b|x;a|b|x;a|b|x"_s << 1 << u"x"_s << u"xx"_s << QString() << u"A"_s << yes
            << QStringList{u"1,2:x"_s, u"2,2:x"_s, replaceEnd(2), u"0,2:x"_s, completed(3)} << u"a|b|xx;a|b|xx;a|b|xx"_s;
        QTest::newRow("find wraps, then finishes")
            << u"k|v|x;k|v|y"_s << 1 << u"x"_s << QString() << QString() << u"FF"_s << yes
            << QStringList{kEndNotFound, u"0,2:x"_s, kFinished} << u"k|v|x;k|v|y"_s;
        QTest::newRow("up, not found") << u"a|b|c"_s << 0 << u"zz"_s << QString() << u"U"_s << u"F"_s << yes
                                       << QStringList{kBeginNotFound, kFinishedNotFound} << u"a|b|c"_s;
        QTest::newRow("replace up wraps") << u"k|v|x"_s << 0 << u"x"_s << u"y"_s << u"U"_s << u"RR"_s << yes
                                          << QStringList{replaceBegin(0), u"0,2:x"_s, completed(1)} << u"k|v|y"_s;
        QTest::newRow("empty Find what") << u"a|b|x"_s << 0 << QString() << u"y"_s << QString() << u"FRA"_s << yes
                                         << QStringList() << u"a|b|x"_s;
        QTest::newRow("a to aa ends") << u"k|v|a a;k|v|banana"_s << 0 << u"a"_s << u"aa"_s << u"A"_s << u"A"_s << yes
                                      << QStringList{u"0,2:a"_s, u"0,2:a"_s, u"1,2:a"_s,
                                                     u"1,2:a"_s, u"1,2:a"_s, completed(5)}
                                      << u"k|v|aa aa;k|v|baanaanaa"_s;
        QTest::newRow("^$ fills empty translations")
            << u"k|v|;k||t;k|v|"_s << 0 << u"^$"_s << u"TODO"_s << u"A"_s << u"A"_s << yes
            << QStringList{u"0,2:"_s, u"2,2:"_s, completed(2)} << u"k|v|TODO;k||t;k|v|TODO"_s;
        QTest::newRow("empty matches are skipped")
            << u"|v|b;k|v|baab"_s << 0 << u"a*"_s << QString() << u"A"_s << u"FF"_s << yes
            << QStringList{u"1,2:aa"_s, kFinished} << u"|v|b;k|v|baab"_s;
        QTest::newRow("an edited cell is not replaced")
            << u"k|v|x x"_s << 0 << u"x"_s << u"y"_s << QString() << u"ReRR"_s << QList<bool>()
            << QStringList{u"0,2:x"_s, u"0,2:x"_s, replaceEnd(1)} << u"k|v|x y!"_s;
        QTest::newRow("the user moves the row")
            << u"x|v|t;x|v|t;x|v|t"_s << 0 << u"x"_s << QString() << QString() << u"F0F"_s << yes
            << QStringList{u"1,0:x"_s, u"1,0:x"_s} << u"x|v|t;x|v|t;x|v|t"_s;
    }

    void walk()
    {
        QFETCH(QString, rows);
        QFETCH(int, start);
        QFETCH(QString, findWhat);
        QFETCH(QString, replaceWith);
        QFETCH(QString, options);
        QFETCH(QString, steps);
        QFETCH(QList<bool>, answers);

        Table table;
        for (const QString &row : rows.split(u';'))
            table.rows << row.split(u'|');
        table.current = start;
        table.answers = answers;
        FindReplace search(table, table);
        const auto direction = options.contains(u'U')   ? FindReplace::Direction::Up
                               : options.contains(u'A') ? FindReplace::Direction::All
                                                        : FindReplace::Direction::Down;
        search.setOptions(findWhat, replaceWith, options.contains(u'w'), options.contains(u'c'), direction);
        for (const QChar step : steps) {
            if (step == u'F')
                search.Search();
            else if (step == u'R')
                search.Replace();
            else if (step == u'A')
                search.ReplaceAll();
            else if (step == u'e')
                table.rows[table.current][2] += u'!';
            else
                table.current = step.digitValue();
        }
        QTEST(table.log, "log");
        QStringList after;
        for (const QStringList &row : std::as_const(table.rows))
            after << row.join(u'|');
        QTEST(after.join(u';'), "after");
    }

    void stops_data()
    {
        QTest::addColumn<QString>("findWhat");
        QTest::addColumn<int>("budgetMs");
        QTest::addColumn<QString>("message");

        QTest::newRow("bad expression") << u"(a"_s << 3000
                                        << errorText(u"(a"_s, u"Unbalanced group expression, ')' is missing."_s);
        QTest::newRow("too slow") << u"(a|aa)+$"_s << 1
                                  << u"The search was stopped after 0.001 seconds: the expression takes too long on "
                                     u"this table. Try a simpler one."_s;
    }

    void stops()
    {
        QFETCH(QString, findWhat);
        QFETCH(int, budgetMs);

        Table table;
        for (int i = 0; i < 400; ++i)
            table.rows << QStringList{u"k"_s, u"v"_s, QString(18, u'a') + u'b'};
        FindReplace search(table, table);
        search.searchBudget = std::chrono::milliseconds(budgetMs);
        search.setOptions(findWhat, QString(), false, false, FindReplace::Direction::Down);
        try {
            search.Search();
            QFAIL("the search did not stop");
        } catch (const Error &error) {
            QTEST(error.text(), "message");
        }
        QVERIFY(table.log.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFindReplace)
#include "tst_FindReplace.moc"
