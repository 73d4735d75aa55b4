#include "dataset/Error.h"
#include "common/RecordingWordProcessor.h"
#include "reports/TdsWordExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace Qt::StringLiterals;

namespace {

const QString kHeader = u"Statistics (Total) : 1250\nUnits : Words\nBase rate : 0.12 \n"_s;

ReportTable table(const QStringList &titles, int rows)
{
    ReportTable t;
    t.titles = titles;
    for (int i = 0; i < rows; ++i)
        t.rows << QStringList(titles.size(), u"cell %1"_s.arg(i));
    t.footer = QStringList(titles.size(), QString());
    t.footer[0] = u"Total :"_s;
    return t;
}

struct Grid
{
    ReportGridContent content;
    QStringList calls; // the grid commands, in order
};

Grid grid(bool selected)
{
    Grid g;
    g.content.allCells = table({u"Match types"_s, u"Words"_s, u"Rate"_s, u"Currency"_s, u"Amount"_s, u"Discount"_s}, 7);
    if (selected)
        g.content.selectedCells = table({u"Words"_s, u"Rate"_s}, 2);
    g.content.titles = g.content.allCells.titles;
    return g;
}

Outcome exportTo(RecordingWordProcessor &word, Grid &g, bool newFile, const QString &chosen = {})
{
    g.content.clearSelection = [&g, &word] { g.calls << u"clear after %1 calls"_s.arg(word.log().size()); };
    TdsWordExport exporter(word);
    exporter.chooseFile = [&g, chosen] {
        g.calls << u"choose"_s;
        return chosen;
    };
    return exporter.ExportGrid(g.content, {}, u"1250"_s, u"Statistics (Total) : "_s, u"Words"_s, u"Units : "_s,
                               u"0.12"_s, u"Base rate : "_s, newFile);
}

const QStringList kReportAndHeader{
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertParagraphBefore(doc1[0,0])"_s,
    u"range(doc1, 1, 1) -> doc1[1,1]"_s,
    u"paste(doc1[1,1], table)"_s,
    u"table(doc1, 1) -> doc1.table(1)"_s,
    u"centreRowVertically(doc1.table(1), 1)"_s,
    u"autoFitColumns(doc1.table(1))"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \" \")"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \"0.12\")"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \"Base rate : \")"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertParagraphBefore(doc1[0,0])"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \"Words\")"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \"Units : \")"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertParagraphBefore(doc1[0,0])"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \"1250\")"_s,
    u"range(doc1, 0, 0) -> doc1[0,0]"_s,
    u"insertBefore(doc1[0,0], \"Statistics (Total) : \")"_s,
};

} // namespace

class TestTdsWordExport : public QObject
{
    Q_OBJECT

private slots:
    void newDocument()
    {
        RecordingWordProcessor word;
        Grid g = grid(false);
        QCOMPARE(exportTo(word, g, true).status, Outcome::Status::Done);

        const QStringList expected = QStringList{u"connect()"_s, u"setVisible(true)"_s, u"addDocument() -> doc1"_s} +
                                     kReportAndHeader + QStringList{u"disconnect()"_s};
        QCOMPARE(word.log(), expected);
        QCOMPARE(word.text(word.lastDocument()), kHeader + u"[table]\n"_s);
        QVERIFY(word.isOpen(word.lastDocument()));
        // The selection is cleared once the table is formatted.
        QCOMPARE(g.calls, (QStringList{u"clear after 10 calls"_s}));
    }

    void pastedCells_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("lines");
        QTest::newRow("nothing selected: everything") << false << 6 << 9;
        QTest::newRow("a selection: only that") << true << 2 << 4;
    }

    void pastedCells()
    {
        QFETCH(bool, selected);
        QFETCH(int, columns);
        QFETCH(int, lines);
        RecordingWordProcessor word;
        Grid g = grid(selected);
        exportTo(word, g, true);
        QCOMPARE(word.pastes().size(), 1);
        const PasteData &pasted = word.pastes().first();
        const ReportTable &cells = selected ? g.content.selectedCells : g.content.allCells;
        QCOMPARE(pasted.rtf, reportPasteData(cells).rtf);
        QCOMPARE(pasted.html, reportPasteData(cells).html);
        const QStringList textLines = pasted.plainText.split(u"\r\n"_s);
        QCOMPARE(textLines.size(), lines);
        QCOMPARE(textLines.first().count(u'\t'), columns - 1);
        QVERIFY(textLines.first().startsWith(cells.titles.first())); // no header block in front
    }

    void existingDocument_data()
    {
        QTest::addColumn<QString>("openAs"); // empty: the document is not open
        QTest::addColumn<QStringList>("lookup");
        QTest::newRow("not open")
            << QString()
            << QStringList{u"documentCount() -> 1"_s, u"document(1) -> doc1"_s, u"fullName(doc1) -> \"Untitled 1\""_s,
                           u"openDocument(\"<file>\", confirmConversions=false, readOnly=false, addToRecentFiles=true, "
                           u"passwordDocument=\"\", passwordTemplate=\"\", writePasswordDocument=\"\", "
                           u"writePasswordTemplate=\"\", revert=false, format=0, asTemplate=false) -> doc2"_s};
        QTest::newRow("open under the same path")
            << u"notes.odt"_s
            << QStringList{u"documentCount() -> 2"_s, u"document(1) -> doc1"_s, u"fullName(doc1) -> \"Untitled 1\""_s,
                           u"document(2) -> doc2"_s, u"fullName(doc2) -> \"<dir>/notes.odt\""_s};
        QTest::newRow("open through a link")
            << u"link.odt"_s
            << QStringList{u"documentCount() -> 2"_s, u"document(1) -> doc1"_s, u"fullName(doc1) -> \"Untitled 1\""_s,
                           u"document(2) -> doc2"_s, u"fullName(doc2) -> \"<dir>/link.odt\""_s};
        QTest::newRow("open through ..") << u"sub/../notes.odt"_s
                                         << QStringList{u"documentCount() -> 2"_s, u"document(1) -> doc1"_s,
                                                        u"fullName(doc1) -> \"Untitled 1\""_s, u"document(2) -> doc2"_s,
                                                        u"fullName(doc2) -> \"<dir>/sub/../notes.odt\""_s};
    }

    // The report and header go on top of the existing contents; an open copy is used as it is, unsaved
    // changes included, however its path is written.
    void existingDocument()
    {
        QFETCH(QString, openAs);
        QFETCH(QStringList, lookup);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        const QString file = dir.filePath(u"notes.odt"_s);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(file, dir.filePath(u"link.odt"_s)));

        RecordingWordProcessor word;
        word.addOpenDocument(u"Untitled 1"_s, u"Someone else's letter\n"_s);
        word.addFile(file, u"Saved contents\n"_s);
        if (!openAs.isEmpty())
            word.addOpenDocument(dir.filePath(openAs), u"Unsaved contents\n"_s);
        Grid g = grid(false);
        QCOMPARE(exportTo(word, g, false, file).status, Outcome::Status::Done);

        QStringList expected = QStringList{u"connect()"_s, u"setVisible(true)"_s} + lookup;
        for (const QString &line : kReportAndHeader)
            expected << QString(line).replace(u"doc1"_s, u"doc2"_s);
        expected << u"disconnect()"_s;
        for (QString &line : expected)
            line.replace(u"<file>"_s, file).replace(u"<dir>"_s, dir.path());
        QCOMPARE(word.log(), expected);
        QCOMPARE(g.calls.first(), u"choose"_s);
        const QString previous = openAs.isEmpty() ? u"Saved contents\n"_s : u"Unsaved contents\n"_s;
        QCOMPARE(word.text(Document{2}), kHeader + u"[table]"_s + previous);
        QCOMPARE(word.text(Document{1}), u"Someone else's letter\n"_s);
    }

    void secondExportGoesOnTop()
    {
        RecordingWordProcessor word;
        word.addFile(u"/data/notes.odt"_s, u"Old\n"_s);
        Grid g = grid(false);
        exportTo(word, g, false, u"/data/notes.odt"_s);
        g.content.allCells.titles[0] = u"Newer"_s;
        exportTo(word, g, false, u"/data/notes.odt"_s);
        QCOMPARE(word.text(Document{1}), kHeader + u"[table]"_s + kHeader + u"[table]Old\n"_s);
        QCOMPARE(word.pastes().size(), 2);
        QVERIFY(word.pastes().at(1).plainText.startsWith(u"Newer"_s));
    }

    void cancelledDialog()
    {
        RecordingWordProcessor word;
        Grid g = grid(false);
        QCOMPARE(exportTo(word, g, false).status, Outcome::Status::Cancelled);
        // The word processor was started and stays visible.
        QCOMPARE(word.log(), (QStringList{u"connect()"_s, u"setVisible(true)"_s, u"disconnect()"_s}));
        QVERIFY(word.isVisible());
        QCOMPARE(g.calls, QStringList{u"choose"_s});
    }

    void failures_data()
    {
        QTest::addColumn<bool>("newFile");
        QTest::addColumn<QString>("failingCall");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text"); // the document afterwards
        QTest::addColumn<int>("gridCalls");

        const int done = int(Outcome::Status::Done);
        const int failed = int(Outcome::Status::Failed);
        QTest::newRow("connect") << true << u"connect("_s << failed << QString() << 0;
        QTest::newRow("open") << false << u"openDocument("_s << failed << QString() << 0;
        QTest::newRow("paste") << true << u"paste("_s << failed << u"\n\n"_s << 0;
        QTest::newRow("no table to format") << true << u"table("_s << done << kHeader + u"[table]\n"_s << 1;
        QTest::newRow("fitting the table") << true << u"autoFitColumns("_s << done << kHeader + u"[table]\n"_s << 1;
        QTest::newRow("third header text")
            << true << u"insertBefore(doc1[0,0], \"Base rate : \")"_s << failed << u"0.12 \n[table]\n"_s << 1;
    }

    // A failure stops the export with its message and keeps what was inserted; the table's formatting is
    // optional.
    void failures()
    {
        QFETCH(bool, newFile);
        QFETCH(QString, failingCall);
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(int, gridCalls);
        RecordingWordProcessor word;
        word.failOn(failingCall, u"The office was closed."_s);
        Grid g = grid(false);
        const Outcome outcome = exportTo(word, g, newFile, u"/data/notes.odt"_s);
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(outcome.message, status == int(Outcome::Status::Done) ? QString() : u"The office was closed."_s);
        QCOMPARE(word.log().last(), u"disconnect()"_s);
        QCOMPARE(word.text(word.lastDocument()), text);
        QCOMPARE(g.calls.size() - (newFile ? 0 : 1), gridCalls);
    }

    void thrownFailuresStillDisconnect_data()
    {
        QTest::addColumn<bool>("newFile");
        QTest::addColumn<QString>("failingCall");
        QTest::newRow("add document") << true << u"addDocument("_s;
        QTest::newRow("look through documents") << false << u"documentCount("_s;
    }

    void thrownFailuresStillDisconnect()
    {
        QFETCH(bool, newFile);
        QFETCH(QString, failingCall);
        RecordingWordProcessor word;
        word.failOn(failingCall, u"Office gone"_s);
        Grid g = grid(false);
        QVERIFY_THROWS_EXCEPTION(Error, exportTo(word, g, newFile, u"/data/notes.odt"_s));
        QCOMPARE(word.log().last(), u"disconnect()"_s);
    }

    void emptyReportStartsNothing()
    {
        RecordingWordProcessor word;
        Grid g;
        const Outcome outcome = exportTo(word, g, true);
        QCOMPARE(outcome.status, Outcome::Status::Failed);
        QVERIFY(!outcome.message.isEmpty());
        QVERIFY(word.log().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTdsWordExport)
#include "tst_TdsWordExport.moc"
