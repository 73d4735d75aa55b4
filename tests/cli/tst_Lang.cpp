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
};

QTEST_GUILESS_MAIN(TestLangCli)
#include "tst_Lang.moc"
