#include "common/TestEnv.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageRows.h"
#include "lang/LanguageXliff.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

const QString kBase = u"fMain\n\tCaption=Two:|:lines\n\tHint= padded \n\tlbKind\n\t\tItems=(TStrings)\n"
                      "\t\t\t<b> & \"q\"=Bold\n\t\t\tEmpty= \n\tlblNote\n\t\tCaption=Note\n\t\tCaption=Note\n"_s;
const QString kGerman = u"fMain\n\tCaption=Zwei:|:Zeilen\n\tHint=<<untranslated>>\n\tlbKind\n\t\tItems=(TStrings)\n"
                        "\t\t\t<b> & \"q\"=Fett\n\t\t\tEmpty=\n\tlblNote\n\t\tCaption=Note\n\t\tCaption=Notiz\n"_s;

// Rows of kBase with the translations of a language file.
void load(LanguageRows &rows, const QString &language)
{
    rows.loadBase(LanguageFile::parse(kBase));
    rows.loadLanguage(LanguageFile::parse(language));
}

QString lngText(const LanguageRows &rows)
{
    return LanguageFile::decode(LanguageFile::encode(rows.languageTree())).replace(u"\r\n"_s, u"\n"_s);
}

QString xliff(const QString &units)
{
    return u"<?xml version=\"1.0\"?><xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file "
           "original=\"German.lng\" source-language=\"en\" target-language=\"de\" datatype=\"plaintext\"><body>"_s +
           units + u"</body></file></xliff>"_s;
}

// The message of the Error that `f` throws.
template <typename F> QString errorOf(F f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.text();
    }
    return u"(no error)"_s;
}

QByteArray exportedGerman()
{
    LanguageRows rows;
    load(rows, kGerman);
    return exportXliff(rows, u"de"_s, u"German.lng"_s);
}

} // namespace

class tst_LanguageXliff : public QObject
{
    Q_OBJECT

private slots:
    // Export, a CAT tool's edits, import: the language file that results, and what was reported.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QStringList>("report"); // applied, changed source, unknown, repeated, untranslated
        QTest::addColumn<QString>("lng");        // the German file afterwards (kGerman when null)

        QTest::newRow("inline tags, groups, two files, state new")
            << u"<group id=\"g\"><trans-unit id=\"fMain.Caption\"><source>Two\nlines</source><target><g id=\"1\">Zwei"
               "</g><x id=\"2\"/>\n<mrk mtype=\"x\">Reihen</mrk></target></trans-unit></group></body></file><file "
               "original=\"x\" source-language=\"en\" datatype=\"plaintext\"><body><trans-unit id=\"fMain.Hint\" "
               "xml:space=\"preserve\"><source> padded </source><target state=\"new\"> gepolstert </target><alt-trans>"
               "<source>x</source><target>Falsch</target></alt-trans></trans-unit>"_s
            << QStringList{u"fMain.Caption,fMain.Hint"_s, {}, {}, {}, {}}
            << QString(kGerman)
                   .replace(u"Zwei:|:Zeilen"_s, u"Zwei:|:Reihen"_s)
                   .replace(u"<<untranslated>>"_s, u" gepolstert "_s);
        QTest::newRow("changed source, unknown, repeated, empty target")
            << u"<trans-unit id=\"fMain.Caption\"><source>Three\nlines</source><target>Drei</target></trans-unit>"
               "<trans-unit id=\"fOld.Caption\"><source>Old</source><target>Alt</target></trans-unit>"
               "<trans-unit id=\"fMain.lblNote.Caption#2\"><source>Note</source><target>Hinweis</target></trans-unit>"
               "<trans-unit id=\"fMain.lblNote.Caption#2\"><source>Note</source><target>Zweimal</target></trans-unit>"
               "<trans-unit id=\"fMain.lbKind.Items:(TStrings).&lt;b> &amp; &quot;q&quot;\"><source>Bold</source>"
               "<target></target></trans-unit><trans-unit id=\"fMain.lbKind.Items:(TStrings).Empty\"><source> "
               "</source><target>x</target></trans-unit>"_s
            << QStringList{u"fMain.lblNote.Caption#2"_s, u"fMain.Caption"_s,
                           u"fOld.Caption,fMain.lbKind.Items:(TStrings).Empty"_s, u"fMain.lblNote.Caption#2"_s,
                           u"fMain.lbKind.Items:(TStrings).<b> & \"q\""_s}
            << QString(kGerman).replace(u"Notiz"_s, u"Hinweis"_s);
    }

    void roundTrip()
    {
        QFETCH(QString, units);
        QFETCH(QStringList, report);
        QFETCH(QString, lng);
        LanguageRows rows;
        load(rows, kGerman);
        const XliffImport result = importXliff(xliff(units).toUtf8(), rows);
        const QStringList got{result.applied.join(u','), result.changedSource.join(u','), result.unknown.join(u','),
                              result.repeated.join(u','), result.untranslated.join(u',')};
        QCOMPARE(got, report);
        QCOMPARE(lngText(rows), lng);
    }

    // A file that is not XLIFF 1.x is refused with a message and changes nothing.
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray(" \n") << u"The file is empty"_s;
        QTest::newRow("not XML") << QByteArray("Caption=Zwei") << u"it is not XML (line 1"_s;
        QTest::newRow("cut short") << xliff(u"<trans-unit id=\"fMain.Caption\"><source>Two\nlines</source><target>"
                                            "Drei</target></trans-unit>"_s)
                                          .left(240)
                                          .toUtf8()
                                   << u"is cut short"_s;
        QTest::newRow("wrong root") << QByteArray("<html><body/></html>") << u"root element is <html>"_s;
        QTest::newRow("XLIFF 2.0") << QByteArray("<xliff version=\"2.0\"><file id=\"f\"/></xliff>")
                                   << u"XLIFF version \"2.0\""_s;
        QTest::newRow("no file") << QByteArray("<xliff version=\"1.2\"/>") << u"no <file> element"_s;
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        LanguageRows rows;
        load(rows, kGerman);
        const QString error = errorOf([&] { importXliff(bytes, rows); });
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(lngText(rows), kGerman);
        QVERIFY(!rows.isModified());
    }

    // A character XML cannot carry refuses the export with the row named instead of writing a broken file.
    void unwritableCharacter()
    {
        LanguageRows rows;
        load(rows, QString(kGerman).replace(u"Fett"_s, u"Fe\x01tt"_s));
        const QString error = errorOf([&] { exportXliff(rows, u"de"_s, u"German.lng"_s); });
        QVERIFY2(error.contains(u"translation of \"fMain.lbKind.Items:(TStrings).<b> & \"q\"\" holds the character "
                                "U+0001"_s),
                 qPrintable(error));
    }

    void languageCodes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("nameOfCode"); // languageNameForCode(code)
        QTest::newRow("English name") << u"German"_s << u"de"_s << u"German"_s;
        QTest::newRow("native name, any case") << u"  français "_s << u"fr"_s << u"French"_s;
        QTest::newRow("regional variant") << u"Brazilian Portuguese"_s << u"pt-BR"_s << u"Brazilian Portuguese"_s;
        QTest::newRow("a code itself") << u"PT-br"_s << u"pt-BR"_s << u"Brazilian Portuguese"_s;
        QTest::newRow("a regional code") << u"de-DE"_s << u"de-DE"_s << u"German"_s;
        QTest::newRow("known to Qt only") << u"Swahili"_s << u"sw"_s << u"Swahili"_s;
        QTest::newRow("unknown") << u"Elvish"_s << QString() << QString();
    }

    void languageCodes()
    {
        QFETCH(QString, name);
        QFETCH(QString, code);
        QFETCH(QString, nameOfCode);
        QCOMPARE(guessLanguageCode(name), code);
        QCOMPARE(languageNameForCode(code), nameOfCode);
    }

    // What a CAT tool sees (one unit per shown row, ids unique and escaped, line breaks and blanks kept, no target
    // for untranslated texts, "needs-translation" for copies of the English text), as our reader and Python's XML
    // library read it, and checked against the XLIFF 1.2 schema.
    void exported_data()
    {
        QTest::addColumn<QString>("program");  // none: readXliff()
        QTest::addColumn<QStringList>("args"); // the exported file is added
        QTest::addColumn<QString>("printed");  // each unit's id | source | target | state
        const QString units =
            u"fMain.Caption | Two\nlines | Zwei\nZeilen | translated\nfMain.Hint |  padded  |  | \n"
            "fMain.lbKind.Items:(TStrings).<b> & \"q\" | Bold | Fett | translated\nfMain.lblNote.Caption "
            "| Note | Note | needs-translation\nfMain.lblNote.Caption#2 | Note | Notiz | translated\n"_s;
        QTest::newRow("readXliff") << QString() << QStringList() << units;
        QTest::newRow("python3") << u"python3"_s
                                 << QStringList{u"-c"_s,
                                                u"import sys, xml.etree.ElementTree as E\n"
                                                "n = {'x': 'urn:oasis:names:tc:xliff:document:1.2'}\n"
                                                "for u in E.parse(sys.argv[1]).iterfind('.//x:trans-unit', n):\n"
                                                "    t = u.find('x:target', n)\n"
                                                "    print(' | '.join([u.get('id'), u.find('x:source', n).text] + "
                                                "(['', ''] if t is None else [t.text, t.get('state')])))"_s}
                                 << units;
        QTest::newRow("xmllint") << u"xmllint"_s
                                 << QStringList{u"--noout"_s, u"--schema"_s, QStringLiteral(QUOTALY_XLIFF_SCHEMA)}
                                 << QString();
    }

    void exported()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, printed);
        if (program.isEmpty()) {
            QString units;
            for (const XliffUnit &u : readXliff(exportedGerman()).units)
                units += QStringList{u.id, u.source, u.target, u.state}.join(u" | "_s) + u'\n';
            QCOMPARE(units, printed);
            return;
        }
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program + u" is not installed (xmllint: package libxml2-utils); not checked with it"_s));
        if (program == u"xmllint"_s && !QFile::exists(args.at(2)))
            QSKIP("the XLIFF 1.2 schema is missing; the export is not validated");
        test::TestEnv env;
        QProcess tool;
        tool.start(program, args << env.write(u"German.xlf"_s, exportedGerman()));
        QVERIFY(tool.waitForFinished(30000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), printed);
    }
};

QTEST_GUILESS_MAIN(tst_LanguageXliff)
#include "tst_LanguageXliff.moc"
