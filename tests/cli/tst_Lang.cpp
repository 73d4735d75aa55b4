#include "CliRun.h"
#include "common/TestEnv.h"
#include "lang/LanguageFile.h"

#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

class TestLangCli : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QString>("file");      // the checked file (written as the editor writes it when it is a tree)
        QTest::addColumn<QString>("base");      // the base file; null: none
        QTest::addColumn<QStringList>("extra"); // --base ref.lng puts the base file there instead of base.lng
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("printed"); // lines expected in the output, in this order

        const QString base = u"fMain\n\tCaption=Main\n\tHint=Tip\n\tlbList\n\t\tItems=(TStrings)\n\t\t\tA=One\n"
                             "\t\t\tB=\n"_s;
        QTest::newRow("complete, --base elsewhere")
            << u"fMain\n\tCaption=Haupt\n\tHint=Tipp\n\tlbList\n\t\tItems=(TStrings)\n\t\t\tA=Eins\n\t\t\tB=\n"_s
            << base << QStringList{u"--base"_s, u"ref.lng"_s} << 0
            << QStringList{u"Encoding: UTF-16LE with byte order mark"_s, u"Entries: 7"_s,
                           u"Base: ref.lng (7 entries)"_s,
                           u"Complete: the entries match the base file and every text is translated."_s};
        QTest::newRow("missing, extra, untranslated")
            << u"fMain\n\tCaption=<<untranslated>>\n\tlbList\n\t\tItems=(TStrings)\n\t\t\tA=\n\t\t\tB=\n\tbtnNew\n"_s
            << base << QStringList() << 1
            << QStringList{u"Missing (1):"_s,
                           u"  base.lng:3: fMain.Hint"_s,
                           u"Not in the base file (1):"_s,
                           u"  German.lng:7: fMain.btnNew"_s,
                           u"Untranslated (2):"_s,
                           u"  German.lng:2: fMain.Caption = <<untranslated>>"_s,
                           u"  German.lng:5: fMain.lbList.Items.[0]A (empty)"_s,
                           u"Incomplete."_s};
        QTest::newRow("invalid level") << u"fMain\n\t\tCaption=x\n\t\t\t\tHint=y"_s << base << QStringList() << 1
                                       << QStringList{u"Encoding: UTF-8 without byte order mark"_s,
                                                      u"German.lng:2: Invalid level (2) for item \"Caption=x\""_s,
                                                      u"German.lng:3: Invalid level (4) for item \"Hint=y\""_s};
        QTest::newRow("no base file") << u"fMain"_s << QString() << QStringList() << 2 << QStringList{u"Entries: 1"_s};
    }

    void check()
    {
        QFETCH(QString, file);
        QFETCH(QString, base);
        QFETCH(QStringList, extra);
        QFETCH(int, exitCode);
        QFETCH(QStringList, printed);
        test::TestEnv env;
        const QString path = env.path(u"German.lng"_s);
        QList<LanguageParseProblem> problems;
        const LanguageTree tree = LanguageFile::check(file, &problems);
        if (problems.isEmpty())
            LanguageFile::write(path, tree);
        else
            env.write(u"German.lng"_s, file.toUtf8());
        if (!base.isNull())
            env.write(extra.isEmpty() ? u"base.lng"_s : extra.last(), base.toUtf8());

        QVERIFY(QDir::setCurrent(env.dir()));
        const test::CliRun run = test::runCli(QStringList{u"lang"_s, u"check"_s, u"German.lng"_s} + extra);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(exitCode == 2 ? run.err.contains(u"base.lng"_s) : run.err.isEmpty(), qPrintable(run.err));
        qsizetype at = 0;
        for (const QString &line : printed) {
            at = run.out.indexOf(line + u'\n', at);
            QVERIFY2(at >= 0, qPrintable(u"missing \""_s + line + u"\" in:\n"_s + run.out));
        }
    }
    // The XLIFF round trip from the command line: exit codes, messages, and the language file afterwards.
    void xliff_data()
    {
        QTest::addColumn<QStringList>("args"); // after "lang"; run in the language folder
        QTest::addColumn<QString>("units");    // the trans-units of in.xlf (for German, target-language de)
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("printed"); // lines expected in the output and errors, in this order
        QTest::addColumn<QString>("german");      // German.lng afterwards

        const QString german = u"fMain\n\tCaption=Haupt\n\tHint=\n"_s;
        const QString unit = u"<trans-unit id=\"fMain.%1\"><source>%2</source><target>%3</target></trans-unit>"_s;
        QTest::newRow("export a new language")
            << QStringList{u"export-xliff"_s, u"Italian"_s, u"--out"_s, u"it.xlf"_s} << QString() << 0
            << QStringList{u"Italian.lng does not exist yet: every text is untranslated."_s,
                           u"Exported 2 texts to it.xlf (target language it): 0 translated, 0 the same as the English "
                           "text, 2 untranslated"_s}
            << german;
        QTest::newRow("export over a file") << QStringList{u"export-xliff"_s, u"German"_s, u"--out"_s, u"in.xlf"_s}
                                            << QString() << 2
                                            << QStringList{u"in.xlf exists already; add --force to replace it"_s}
                                            << german;
        QTest::newRow("export, no code known")
            << QStringList{u"export-xliff"_s, u"Elvish"_s, u"--out"_s, u"e.xlf"_s} << QString() << 1
            << QStringList{u"give it with --target-language CODE"_s} << german;
        QTest::newRow("export the base language")
            << QStringList{u"export-xliff"_s, u"english"_s, u"--out"_s, u"e.xlf"_s} << QString() << 2
            << QStringList{u"\"english\" is the base language"_s} << german;
        QTest::newRow("import, some units not applied")
            << QStringList{u"import-xliff"_s, u"in.xlf"_s}
            << unit.arg(u"Hint"_s, u"Tip"_s, u"Tipp"_s) + unit.arg(u"Caption"_s, u"Mains"_s, u"Hauptx"_s)
                   + unit.arg(u"Old"_s, u"Old"_s, u"Alt"_s)
            << 3
            << QStringList{u"Language: German"_s, u"Applied: 1"_s, u"Source text changed, not applied (1):"_s,
                           u"  fMain.Caption"_s, u"Unknown ids, not applied (1):"_s, u"  fMain.Old"_s, u"Written: "_s}
            << u"fMain\n\tCaption=Haupt\n\tHint=Tipp\n"_s;
        QTest::newRow("import a broken file") << QStringList{u"import-xliff"_s, u"in.xlf"_s}
                                              << unit.arg(u"Hint"_s, u"Tip"_s, u"Tipp</target>"_s) << 2
                                              << QStringList{u"Not a readable XLIFF file: line 1"_s} << german;
        QTest::newRow("import into --language, nothing to apply")
            << QStringList{u"import-xliff"_s, u"in.xlf"_s, u"--language"_s, u"Italian"_s}
            << unit.arg(u"Hint"_s, u"Tip"_s, QString()) << 0
            << QStringList{u"Language: Italian"_s, u"Untranslated, left as they were: 1"_s, u"Nothing applied: "_s}
            << german;
    }

    void xliff()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, units);
        QFETCH(int, exitCode);
        QFETCH(QStringList, printed);
        QFETCH(QString, german);
        test::TestEnv env;
        LanguageFile::write(env.path(u"base.lng"_s), LanguageFile::parse(u"fMain\n\tCaption=Main\n\tHint=Tip\n"_s));
        LanguageFile::write(env.path(u"German.lng"_s), LanguageFile::parse(u"fMain\n\tCaption=Haupt\n\tHint=\n"_s));
        env.write(u"in.xlf"_s, (u"<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file original=\""
                                "German.lng\" source-language=\"en\" datatype=\"plaintext\"><body>"_s
                                + units + u"</body></file></xliff>"_s).toUtf8());

        QVERIFY(QDir::setCurrent(env.dir()));
        const test::CliRun run = test::runCli(QStringList{u"lang"_s} + args + QStringList{u"--lang-dir"_s, u"."_s});
        QCOMPARE(run.exitCode, exitCode);
        const QString output = run.out + run.err;
        qsizetype at = 0;
        for (const QString &line : printed) {
            at = output.indexOf(line, at);
            QVERIFY2(at >= 0, qPrintable(u"missing \""_s + line + u"\" in:\n"_s + output));
        }
        QCOMPARE(LanguageFile::readText(env.path(u"German.lng"_s)).replace(u"\r\n"_s, u"\n"_s), german);
        if (exitCode == 0 && args.first() == u"export-xliff")
            QVERIFY(QFile::exists(env.path(args.at(3))));
    }
};

QTEST_GUILESS_MAIN(TestLangCli)
#include "tst_Lang.moc"
