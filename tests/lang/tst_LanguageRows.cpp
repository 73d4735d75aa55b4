#include "lang/LanguageFile.h"
#include "lang/LanguageRows.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

using Edits = QList<QPair<int, QString>>;

const QString kBase = u"fMain\n"
                      "\tCaption=Quotaly\n"
                      "\tbtnGo\n"
                      "\t\tCaption=Calculate\n"
                      "\t\tHint= \n"
                      "\tcbKind\n"
                      "\t\tItems=(TStrings)\n"
                      "\t\t\tItem0=Words\n"
                      "\t\t\tItem1=Per cent=%\n"
                      "\tlvList\n"
                      "\t\tColumns=(ttntlistcolumns)\n"
                      "\t\t\tCol0=Name\n"
                      "\tlblNote\n"
                      "\t\tCaption=First:|:Second\n"
                      "\t\tCaption=Twice\n"_s;

} // namespace

class tst_LanguageRows : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfTheBaseFile();
    void languageRoundTrip_data();
    void languageRoundTrip();
    void languageNames_data();
    void languageNames();
};

// Keys, properties and values of every kind of line, hidden rows, and the file order kept.
void tst_LanguageRows::rowsOfTheBaseFile()
{
    LanguageRows rows;
    rows.loadBase(LanguageFile::parse(kBase));
    QCOMPARE(rows.size(), 15);
    const struct
    {
        int row;
        QString key, property, value;
        bool hidden;
    } expected[] = {
        {0, u"fMain"_s, {}, {}, true},
        {1, u"fMain.Caption"_s, u"Caption"_s, u"Quotaly"_s, false},
        {4, u"fMain.btnGo.Hint"_s, u"Hint"_s, u" "_s, true},
        {6, u"fMain.cbKind.Items:(TStrings)"_s, {}, {}, true},
        {8, u"fMain.cbKind.Items:(TStrings).Item1"_s, u"Item1"_s, u"Per cent=%"_s, false},
        {10, u"fMain.lvList.Columns:(ttntlistcolumns)"_s, {}, {}, true},
        {11, u"fMain.lvList.Columns:(ttntlistcolumns).Col0"_s, u"Col0"_s, u"Name"_s, false},
        {13, u"fMain.lblNote.Caption"_s, u"Caption"_s, u"First\nSecond"_s, false},
    };
    for (const auto &e : expected) {
        QCOMPARE(rows.key(e.row), e.key);
        QCOMPARE(rows.dataset().valueAt(e.row, LanguageRows::Property).toString(), e.property);
        QCOMPARE(rows.value(e.row), e.value);
        QCOMPARE(rows.isHidden(e.row), e.hidden);
        QCOMPARE(rows.dataset().valueAt(e.row, LanguageRows::RecId).toInt(), e.row + 1);
    }
    QCOMPARE(rows.rowOf(u"fMain.lblNote.Caption"_s), 13);
}

// A language file in, edits, and the file written back in the base file's structure.
void tst_LanguageRows::languageRoundTrip_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("written");

    const QString skeleton = u"fMain\n\tCaption=%1\n\tbtnGo\n\t\tCaption=%2\n\t\tHint=%3\n\tcbKind\n\t\tItems=(TStrings)\n"
                             "\t\t\tItem0=%4\n\t\t\tItem1=%5\n\tlvList\n\t\tColumns=(ttntlistcolumns)\n\t\t\tCol0=%6\n"
                             "\tlblNote\n\t\tCaption=%7\n\t\tCaption=%8\n"_s;
    auto file = [&](const QStringList &v) {
        QString text = skeleton;
        for (const QString &s : v)
            text = text.arg(s);
        return text;
    };

    QTest::newRow("nothing loaded writes empty translations")
        << QString() << Edits{} << file({"", "", "", "", "", "", "", ""});
    QTest::newRow("a language comes back unchanged")
        << file({"Q", "Berechnen", "", "Wörter", "Prozent=%", "Name", "Erste:|:Zweite", "Zweimal"})
        << Edits{}
        << file({"Q", "Berechnen", "", "Wörter", "Prozent=%", "Name", "Erste:|:Zweite", "Zweimal"});
    QTest::newRow("every typed line break is stored as :|:, NUL dropped")
        << QString()
        << Edits{{3, u"a\r\nb\rc\nd\u2028e\u2029f"_s}, {1, u"x\0y"_s}}
        << file({"xy", "a:|:b:|:c:|:d:|:e:|:f", "", "", "", "", "", ""});
    QTest::newRow("rows the language lacks stay empty, unknown keys are ignored")
        << u"fMain\n\tCaption=Q\n\tbtnOther\n\t\tCaption=Nowhere\n"_s << Edits{}
        << file({"Q", "", "", "", "", "", "", ""});
    QTest::newRow("the second entry of a key fills the second row of that key")
        << u"fMain\n\tlblNote\n\t\tCaption=Eins\n\t\tCaption=Zwei\n"_s << Edits{}
        << file({"", "", "", "", "", "", "Eins", "Zwei"});
}

void tst_LanguageRows::languageRoundTrip()
{
    QFETCH(QString, language);
    QFETCH(Edits, edits);
    QFETCH(QString, written);

    LanguageRows rows;
    rows.loadBase(LanguageFile::parse(kBase));
    // a language shown before must not leak into the next one
    rows.loadLanguage(LanguageFile::parse(u"fMain\n\tbtnGo\n\t\tHint=Old\n"_s));
    rows.loadLanguage(language.isEmpty() ? LanguageTree() : LanguageFile::parse(language));
    QVERIFY(!rows.isModified());
    for (const auto &[row, text] : edits)
        rows.setTranslation(row, text);
    QCOMPARE(rows.isModified(), !edits.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Test.lng"_s);
    rows.writeFile(path);
    QVERIFY(!rows.isModified());
    QCOMPARE(LanguageFile::read(path), LanguageFile::parse(written));
}

void tst_LanguageRows::languageNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain") << u"German"_s << true;
    QTest::newRow("letters and spaces") << u"Português do Brasil"_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("slash") << u"../German"_s << false;
    QTest::newRow("backslash") << u"a\\b"_s << false;
    QTest::newRow("NUL") << u"Ge\0rman"_s << false;
    QTest::newRow("dot first") << u".hidden"_s << false;
    QTest::newRow("base") << u"BASE"_s << false;
    QTest::newRow("base language") << u"english"_s << false;
    QTest::newRow("control character") << u"Ger\nman"_s << false;
}

void tst_LanguageRows::languageNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QCOMPARE(languageNameProblem(name, u"English"_s).isEmpty(), accepted);
}

QTEST_GUILESS_MAIN(tst_LanguageRows)
#include "tst_LanguageRows.moc"
