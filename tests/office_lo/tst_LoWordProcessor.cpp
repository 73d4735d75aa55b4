// The report exported into Writer documents, and the word processor's positions, fields and copies, in a real
// headless LibreOffice; documents are read back from saved copies.

#include "LoFixture.h"
#include "WriterDump.h"

#include "dataset/Error.h"
#include "reports/TdsWordExport.h"

#include <QFile>
#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace quotaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kRuntime = QStringLiteral(QUOTALY_RUNTIME_DIR);

ReportGridContent grid(const QString &firstRow)
{
    ReportGridContent g;
    g.titles = QStringList{u"Match types"_s, u"Words"_s};
    g.allCells.titles = g.titles;
    g.allCells.rows << QStringList{firstRow, u"100.00"_s};
    g.allCells.footer = QStringList{u"Total :"_s, u"100.00"_s};
    return g;
}

const QStringList kTableRows(const QString &firstRow)
{
    return {u"Match types | Words"_s, firstRow + u" | 100.00"_s, u"Total : | 100.00"_s};
}

} // namespace

class TestLoWordProcessor : public QObject
{
    Q_OBJECT

    LoFixture m_office;
    int m_copies = 0;

    Outcome exportGrid(const QString &total, const QString &firstRow, const QString &fileName, bool newFile)
    {
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        TdsWordExport exporter(*word);
        return exporter.ExportGrid(grid(firstRow), fileName, total, u"Statistics (Total) : "_s, u"Words"_s,
                                   u"Units : "_s, u"0.12"_s, u"Base rate : "_s, newFile);
    }

    // The open document with that full name, saved to a new .odt for reading back.
    QString savedCopy(WordProcessor &word, const QString &fullName)
    {
        for (int i = 1; i <= word.documentCount(); ++i) {
            const Document doc = word.document(i);
            if (word.fullName(doc) == fullName) {
                const QString copy = m_office.path(u"copy-%1.odt"_s.arg(++m_copies));
                word.saveCopyAs(doc, copy);
                return copy;
            }
        }
        return {};
    }

    // A document holding one paragraph of text, saved in the format the file name says, and closed again.
    QString existingDocument(const QString &name, const QString &text)
    {
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        ConnectionScope scope(*word);
        word->connect();
        const Document doc = word->addDocument();
        word->insertAfter(word->range(doc, 0, 0), text);
        const QString path = m_office.path(name);
        word->saveCopyAs(doc, path);
        word->closeWithoutSaving(doc);
        return path;
    }

private slots:
    void initTestCase()
    {
        QUOTALY_START_OFFICE(m_office);
        if (LoFixture::python().isEmpty())
            QSKIP("python3-uno is needed to read documents back");
    }

    // A new document: three header lines, an empty line, the report table with its title row centred.
    void exportIntoNewDocument()
    {
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        word->connect();
        const int before = word->documentCount();
        word->disconnect();

        QCOMPARE(exportGrid(u"1250"_s, u"No match"_s, {}, true).status, Outcome::Status::Done);

        word->connect();
        QCOMPARE(word->documentCount(), before + 1);
        const Document doc = word->document(word->documentCount());
        QVERIFY(QFileInfo(word->fullName(doc)).isRelative()); // a title, never saved
        const QString copy = m_office.path(u"new-export.odt"_s);
        word->saveCopyAs(doc, copy);
        word->disconnect();
        QUOTALY_DUMP(dump, m_office, copy);
        QCOMPARE(dump.body.mid(0, 5), (QStringList{u"Statistics (Total) : 1250"_s, u"Units : Words"_s,
                                                   u"Base rate : 0.12 "_s, u""_s, u"[table]"_s}));
        QCOMPARE(dump.rows(0), kTableRows(u"No match"_s));
        QCOMPARE(dump.table(0).value(u"row1VertOrient"_s).toArray(), QJsonArray{2}); // VertOrientation::CENTER
    }

    void exportIntoExistingDocument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("odt") << u"existing.odt"_s;
        QTest::newRow("docx") << u"existing.docx"_s;
    }

    // The report goes on top of what the file holds; a second export stacks on top of the first.
    void exportIntoExistingDocument()
    {
        QFETCH(QString, name);
        const QString file = existingDocument(name, u"Letter body stays"_s);
        QCOMPARE(exportGrid(u"100"_s, u"First export"_s, file, false).status, Outcome::Status::Done);
        QCOMPARE(exportGrid(u"200"_s, u"Second export"_s, file, false).status, Outcome::Status::Done);

        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        word->connect();
        const QString copy = savedCopy(*word, file);
        QVERIFY(!copy.isEmpty());
        word->disconnect();
        QUOTALY_DUMP(dump, m_office, copy);
        const QStringList body = dump.body;
        QCOMPARE(body.value(0), u"Statistics (Total) : 200"_s);
        QCOMPARE(dump.tables.size(), 2);
        QCOMPARE(dump.rows(0), kTableRows(u"Second export"_s));
        QCOMPARE(dump.rows(1), kTableRows(u"First export"_s));
        const qsizetype first = body.indexOf(u"Statistics (Total) : 100"_s);
        QVERIFY(first > body.indexOf(u"[table]"_s));
        QVERIFY(body.lastIndexOf(u"[table]"_s) > first);
        QVERIFY(body.lastIndexOf(u"Letter body stays"_s) > body.lastIndexOf(u"[table]"_s));
    }

    // A document the user has open with unsaved changes is exported into as it is, never reloaded.
    void exportIntoOpenDocumentKeepsItsChanges()
    {
        const QString file = existingDocument(u"open.odt"_s, u"Saved text"_s);
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        word->connect();
        OpenDocumentArgs args;
        args.fileName = file;
        const Document doc = word->openDocument(args);
        word->insertAfter(word->range(doc, 10, 10), u" and unsaved text"_s);
        const int open = word->documentCount();
        word->disconnect();

        QCOMPARE(exportGrid(u"300"_s, u"Into open"_s, file, false).status, Outcome::Status::Done);

        word->connect();
        QCOMPARE(word->documentCount(), open);
        const QString copy = savedCopy(*word, file);
        word->disconnect();
        QUOTALY_DUMP(dump, m_office, copy);
        QCOMPARE(dump.body.value(0), u"Statistics (Total) : 300"_s);
        QVERIFY(dump.body.contains(u"Saved text and unsaved text"_s));
    }

    void positionsAroundFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("line");     // the line holding the field afterwards
        QTest::addColumn<QString>("previous"); // the line before it
        QTest::newRow("first in the document") << u"pFullName"_s << u"\u00ABAZ\u00BB"_s << QString();
        QTest::newRow("in the middle of a line, other case")
            << u"paddressline2"_s << u"pAddressLine1\u00ABAZ\u00BB, pAddressLine3"_s << u"pFullName"_s;
        QTest::newRow("in a table cell") << u"InvoiceNo"_s << u"cAdditional2 | Invoice No. | \u00ABAZ\u00BB"_s
                                         << u"cAdditional1"_s;
        QTest::newRow("after a table and fields") << u"Comments"_s << u"\u00ABAZ\u00BB"_s << u"MatchReport"_s;
    }

    // The end of a field's bookmark is a position just after the field: text put there through a range lands
    // outside the field, also with tables and other fields before it.
    void positionsAroundFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, line);
        QFETCH(QString, previous);
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        ConnectionScope scope(*word);
        word->connect();
        OpenDocumentArgs args;
        args.fileName = kRuntime + u"/Data/English.rtf"_s;
        args.asTemplate = true;
        const Document doc = word->openDocument(args);
        const FormField formField = word->formField(doc, field);
        word->insertBefore(formField, u"\u00ABA"_s);
        const TextPosition end = word->bookmarkEnd(doc, field);
        word->insertAfter(word->range(doc, end, end), u"Z\u00BB"_s);
        word->deleteField(formField);
        const QString copy = m_office.path(u"positions-%1.odt"_s.arg(field));
        word->saveCopyAs(doc, copy);
        word->closeWithoutSaving(doc);

        QUOTALY_DUMP(dump, m_office, copy);
        QCOMPARE(dump.fieldmarks, 38);
        const QStringList lines = dump.fullText().split(u'\n');
        const qsizetype at = lines.indexOf(line);
        QVERIFY2(at >= 0, qPrintable(dump.fullText().left(900)));
        QCOMPARE(lines.value(at - 1), previous);
    }

    void saveCopyFailures_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown format") << u"report.txt"_s << u".pdf, .odt, .docx and .rtf"_s;
        QTest::newRow("missing folder") << u"no-such-folder/report.pdf"_s << u"Cannot save"_s;
    }

    // A copy that cannot be written says why, and an older file of that name is kept.
    void saveCopyFailures()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, message);
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        ConnectionScope scope(*word);
        word->connect();
        const Document doc = word->addDocument();
        const QString path = m_office.path(fileName);
        try {
            word->saveCopyAs(doc, path);
            QFAIL("saved");
        } catch (const Error &e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        word->closeWithoutSaving(doc);
    }
};

QTEST_GUILESS_MAIN(TestLoWordProcessor)
#include "tst_LoWordProcessor.moc"
