// Times the language manager's find and replace on a table of interface texts held in memory: one Find next
// that walks every cell without a match, the same with a regular expression, and Replace All of a word that
// stands in every fifth translation; and how soon a search stops that takes too long.
// Run: build/bench/bench_find [rows (10000)] [repetitions (11)]

#include "MedianTimer.h"
#include "dataset/Error.h"
#include "lang/FindReplace.h"

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

using namespace quotaly;

namespace {

class Table : public SearchTable, public SearchPrompts
{
public:
    QList<QStringList> rows;
    int current = 0;

    int rowCount() const override { return int(rows.size()); }
    int currentRow() const override { return current; }
    void setCurrentRow(int row) override { current = row; }
    QString cellText(int row, int column) const override { return rows.at(row).at(column); }
    bool isColumnReadOnly(int column) const override { return column < 2; }
    void setCellText(int row, int column, const QString &text) override { rows[row][column] = text; }
    void showMatch(int row, int, int, int) override { current = row; }
    bool ask(const QString &) override { return false; }
    void inform(const QString &) override {}
};

QList<QStringList> interfaceTexts(int count)
{
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        const QString key = QStringLiteral("fForm%1.Component%2.Caption").arg(i / 40).arg(i % 40);
        const QString value = QStringLiteral("Open the selected file number %1 and show its contents").arg(i);
        const QString word = i % 5 == 0 ? QStringLiteral("Datei") : QStringLiteral("Akte");
        rows << QStringList{
            key, value, QStringLiteral("Die gewählte %1 Nummer %2 öffnen und ihren Inhalt zeigen").arg(word).arg(i)};
    }
    return rows;
}

double findStep(Table &table, const QString &findWhat, int repetitions)
{
    FindReplace search(table, table);
    return medianMs(repetitions, [&] {
        table.current = 0;
        search.setOptions(findWhat, QString(), false, false, FindReplace::Direction::Down);
        search.Search();
        if (search.foundCount() != 0 || !search.AtEnd())
            qFatal("the step did not walk the whole table");
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int rowCount = args.size() > 1 ? args.at(1).toInt() : 10000;
    const int repetitions = args.size() > 2 ? args.at(2).toInt() : 11;

    const QList<QStringList> rows = interfaceTexts(rowCount);
    Table table;
    table.rows = rows;
    try {
        std::printf("find next over %d cells, no match, word: median %.2f ms\n", rowCount * 3,
                    findStep(table, QStringLiteral("Übersetzung"), repetitions));
        std::printf("the same, expression \"[xq]\\p{Lu}+.z\": median %.2f ms\n",
                    findStep(table, QStringLiteral("[xq]\\p{Lu}+.z"), repetitions));
        int replaced = 0;
        const double replaceMs = medianMs(repetitions, [&] {
            table.rows = rows;
            table.current = 0;
            FindReplace search(table, table);
            search.setOptions(QStringLiteral("datei"), QStringLiteral("Akte"), false, false,
                              FindReplace::Direction::All);
            search.ReplaceAll();
            replaced = search.replaceCount();
        });
        std::printf("replace all, %d replacements: median %.2f ms\n", replaced, replaceMs);

        // An expression that backtracks for tens of milliseconds in every cell must stop near its budget.
        for (QStringList &row : table.rows)
            row[2] = QString(40, u'a') + u'b';
        QElapsedTimer clock;
        clock.start();
        try {
            findStep(table, QStringLiteral("(a|aa)+$"), 1);
            std::fprintf(stderr, "a search that takes too long was not stopped\n");
            return 1;
        } catch (const Error &) {
            std::printf("a search that takes too long stopped after %lld ms\n", clock.elapsed());
        }
    } catch (const Error &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
