#include "common/TestEnv.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageList.h"
#include "lang/LanguageLookup.h"
#include "lang/LanguageText.h"

#include <QDir>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{1, high} + low : QByteArray{1, low} + high;
    }
    return bytes;
}

/// "level:text" of every entry, joined by "|".
QString dump(const LanguageTree &tree)
{
    QStringList entries;
    for (int i = 0; i < tree.size(); ++i)
        entries << QString::number(tree.level(i)) + u':' + tree.text(i);
    return entries.join(u'|');
}

LanguageTree treeOf(const QStringList &lines)
{
    return LanguageFile::parse(lines.join(u'\n'));
}

} // namespace

class TestLanguageFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LanguageEncoding>("encoding");
        QTest::addColumn<QString>("tree");

        const QString text = u"fMain\r\n\tCaption=Größe\r\n"_s;
        const QString tree = u"0:fMain|1:Caption=Größe"_s;
        QTest::newRow("UTF-16LE") << "\xFF\xFE" + utf16(text, false) << LanguageEncoding::Utf16LE << tree;
        QTest::newRow("UTF-16BE") << "\xFE\xFF" + utf16(text, true) << LanguageEncoding::Utf16BE << tree;
        QTest::newRow("UTF-16 odd last byte")
            << "\xFF\xFE" + utf16(text, false) + 'x' << LanguageEncoding::Utf16LE << tree;
        QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF" + text.toUtf8() << LanguageEncoding::Utf8Mark << tree;
        QTest::newRow("UTF-8 no mark") << text.toUtf8() << LanguageEncoding::Utf8 << tree;
        QTest::newRow("ANSI") << "fMain\n\tCaption=Gr\xF6\xDF"
                                 "e"_ba
                              << LanguageEncoding::Windows1252 << tree;
        QTest::newRow("mark alone") << "\xFE\xFF"_ba << LanguageEncoding::Utf16BE << QString();
        QTest::newRow("one byte FF") << "\xFF"_ba << LanguageEncoding::Windows1252 << u"0:ÿ"_s;
        QTest::newRow("two bytes of the UTF-8 mark") << "\xEF\xBB"_ba << LanguageEncoding::Windows1252 << u"0:ï»"_s;
        QTest::newRow("empty") << QByteArray() << LanguageEncoding::Utf8 << QString();

        QTest::newRow("CR") << "a\rb"_ba << LanguageEncoding::Utf8 << u"0:a|0:b"_s;
        QTest::newRow("LF CR is two breaks") << "a\n\rb"_ba << LanguageEncoding::Utf8 << u"0:a|0:|0:b"_s;
        QTest::newRow("CR LF U+2028 is one break") << "a\r\n\xE2\x80\xA8"
                                                      "b"_ba
                                                   << LanguageEncoding::Utf8 << u"0:a|0:b"_s;
        QTest::newRow("U+2028 twice") << "a\xE2\x80\xA8\xE2\x80\xA8"
                                         "b"_ba
                                      << LanguageEncoding::Utf8 << u"0:a|0:|0:b"_s;
        QTest::newRow("U+0000 ends the text")
            << QByteArray("a\r\nb\0\r\nc", 8) << LanguageEncoding::Utf8 << u"0:a|0:b"_s;
        QTest::newRow("final break adds no line") << "a\r\n\r\n"_ba << LanguageEncoding::Utf8 << u"0:a|0:"_s;

        QTest::newRow("first line indented")
            << "\t\tF\n\tC\n\t\tP=1"_ba << LanguageEncoding::Utf8 << u"0:F|1:C|2:P=1"_s;
        QTest::newRow("TAB and SPACE one level each")
            << "F\n C\n\t Caption=a = b"_ba << LanguageEncoding::Utf8 << u"0:F|1:C|2:Caption=a = b"_s;
        QTest::newRow("shallower line closes entries")
            << "F\n\tC\n\t\tP=1\n\tD\nG"_ba << LanguageEncoding::Utf8 << u"0:F|1:C|2:P=1|1:D|0:G"_s;
        QTest::newRow("empty line is top-level")
            << "F\n\tA=1\n\n\tB=2"_ba << LanguageEncoding::Utf8 << u"0:F|1:A=1|0:|1:B=2"_s;
    }

    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(LanguageEncoding, encoding);
        QFETCH(QString, tree);
        test::TestEnv env;
        LanguageEncoding found = LanguageEncoding::Utf16LE;
        QCOMPARE(dump(LanguageFile::read(env.write(u"German.lng"_s, bytes), &found)), tree);
        QCOMPARE(found, encoding);
    }

    void invalidLevel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("two deeper") << u"F\n\t\tC"_s << 2 << u"Invalid level (2) for item \"C\""_s;
        QTest::newRow("spaces") << u"F\n\tC\n\t\tP=1\n     X"_s << 4 << u"Invalid level (5) for item \"X\""_s;
        QTest::newRow("after an empty line")
            << u"F\n\n\tA\n\t\tB\n\t\t\t\tC=1"_s << 5 << u"Invalid level (4) for item \"C=1\""_s;
    }

    void invalidLevel()
    {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(QString, message);
        test::TestEnv env;
        try {
            LanguageFile::read(env.write(u"bad.lng"_s, text.toUtf8()));
            QFAIL("a faulty indentation was read");
        } catch (const LanguageFileError &error) {
            QCOMPARE(error.line(), line);
            QCOMPARE(error.text(), message);
        }
        QList<LanguageParseProblem> problems;
        const LanguageTree lenient = LanguageFile::check(text + u"\n"_s + QString(9, u'\t') + u"Y"_s, &problems);
        QCOMPARE(problems.size(), 2);
        QCOMPARE(problems.at(0).line, line);
        QCOMPARE(problems.at(1).line, lenient.size());
    }

    void refusedFiles()
    {
        test::TestEnv env;
        QFile big(env.path(u"big.lng"_s));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(LanguageFile::kMaxBytes + 1));
        big.close();
        for (const QString &path : {big.fileName(), env.path(u"missing.lng"_s)}) {
            try {
                LanguageFile::read(path);
                QFAIL("the file was read");
            } catch (const Error &error) {
                QVERIFY2(error.text().contains(path), qPrintable(error.text()));
            }
        }
    }

    void writeThenRead()
    {
        LanguageTree tree;
        tree.append(0, u"fMain"_s);
        tree.append(1, u"Caption=Größe = size"_s);
        tree.append(1, u"lbList"_s);
        tree.append(2, u"Items=(TStrings)"_s);
        tree.append(3, u"0=one\r\ntwo"_s);
        tree.append(0, u"DM"_s);
        QCOMPARE(tree.append(2, u"too deep"_s), LanguageTree::kNone);

        test::TestEnv env;
        const QString path = env.path(u"German.lng"_s);
        LanguageFile::write(path, tree);
        const QString lines = u"fMain\r\n\tCaption=Größe = size\r\n\tlbList\r\n\t\tItems=(TStrings)\r\n"
                              "\t\t\t0=one:|:two\r\nDM\r\n"_s;
        const QByteArray bytes = test::TestEnv::read(path);
        QCOMPARE(bytes, "\xFF\xFE" + utf16(lines, false));

        const LanguageTree back = LanguageFile::read(path);
        tree.setText(4, u"0=one:|:two"_s);
        QCOMPARE(dump(back), dump(tree));
        QCOMPARE(LanguageFile::encode(back), bytes);
    }

    void textHelpers_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("item");
        QTest::addColumn<LanguageListKind>("kind");
        QTest::newRow("property") << u"Caption=Hello"_s << u"Caption"_s << u"Hello"_s << u"Hello"_s
                                  << LanguageListKind::None;
        QTest::newRow("empty value") << u"Caption="_s << u"Caption"_s << QString() << QString()
                                     << LanguageListKind::None;
        QTest::newRow("value with =") << u"Hint=a=b|c"_s << u"Hint"_s << u"a=b|c"_s << u"a=b|c"_s
                                      << LanguageListKind::None;
        QTest::newRow("line break marker") << u"Caption=two:|:lines"_s << u"Caption"_s << u"two\r\nlines"_s
                                           << u"two:|:lines"_s << LanguageListKind::None;
        QTest::newRow("no =") << u"btnOk"_s << QString() << QString() << u"btnOk"_s << LanguageListKind::None;
        QTest::newRow("strings") << u"Items=(TStrings)"_s << u"Items"_s << u"(TStrings)"_s << u"(TStrings)"_s
                                 << LanguageListKind::Strings;
        QTest::newRow("columns") << u"Columns=(TListColumns)"_s << u"Columns"_s << u"(TListColumns)"_s
                                 << u"(TListColumns)"_s << LanguageListKind::ListColumns;
        QTest::newRow("wide columns") << u"Columns=(ttntlistcolumns)"_s << u"Columns"_s << u"(ttntlistcolumns)"_s
                                      << u"(ttntlistcolumns)"_s << LanguageListKind::TntListColumns;
        QTest::newRow("kind is the whole value") << u"Hint=(TStrings) list"_s << u"Hint"_s << u"(TStrings) list"_s
                                                 << u"(TStrings) list"_s << LanguageListKind::None;
    }

    void textHelpers()
    {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, item);
        QFETCH(LanguageListKind, kind);
        QCOMPARE(propertyName(line), name);
        QCOMPARE(applyLineMarkers(propertyValue(line)), value);
        QCOMPARE(itemText(line), item);
        QCOMPARE(listKind(line), kind);
    }

    void lookups()
    {
        const LanguageTree tree =
            treeOf({u"fOther"_s, u"fMain"_s, u"\tCaption=Main"_s, u"\tHint="_s, u"\tbtnOk"_s, u"\t\tCaption=O:|:K"_s,
                    u"\tLate=after a component"_s, u"\tlbList"_s, u"\t\tItems=(TStrings)"_s, u"\t\t\t0=One"_s,
                    u"\t\t\t1="_s, u"\t\t\tThree"_s, u"fMain"_s, u"\tCaption=again"_s});
        const int form = findSection(tree, u"fMain"_s);
        QCOMPARE(form, 1);
        QCOMPARE(findSection(tree, u"fmain"_s), LanguageTree::kNone);
        QCOMPARE(formProperties(tree, form),
                 QList<TextProperty>({{u"Caption"_s, u"Main"_s, 2}, {u"Hint"_s, QString(), 3}}));

        const int button = findEntry(tree, form, u"btnOk"_s);
        QCOMPARE(componentProperties(tree, button), QList<TextProperty>({{u"Caption"_s, u"O\r\nK"_s, 5}}));
        QCOMPARE(findEntry(tree, form, u"Late"_s), LanguageTree::kNone);

        const QList<TextProperty> list = componentProperties(tree, findEntry(tree, form, u"lbList"_s));
        QCOMPARE(list.size(), 1);
        QCOMPARE(listKind(tree.text(list.at(0).entry)), LanguageListKind::Strings);
        QCOMPARE(listItems(tree, list.at(0).entry), QStringList({u"One"_s, QString(), u"Three"_s}));
        QCOMPARE(entryPath(tree, 10), u"fMain.lbList.Items=(TStrings).1="_s);
    }

    void languageList_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("languages");
        QTest::newRow("empty folder") << QStringList() << QStringList{u"English"_s};
        QTest::newRow("sorted, base.lng not listed")
            << QStringList{u"German.lng"_s, u"base.lng"_s, u"Base.lng"_s, u"english.lng"_s, u"English.lng"_s}
            << QStringList{u"English"_s, u"Base"_s, u"English"_s, u"english"_s, u"German"_s};
        QTest::newRow("only files ending in .lng")
            << QStringList{u"a.lng.bak"_s, u"b.LNG"_s, u"c.lng.lng"_s, u"x.lngfoo.lng"_s, u"Dir.lng/f"_s}
            << QStringList{u"English"_s, u"c.lng"_s, u"x.lngfoo"_s};
    }

    void languageList()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, languages);
        test::TestEnv env;
        const QString folder = env.path(u"Lang"_s);
        QVERIFY(QDir().mkpath(folder));
        for (const QString &file : files)
            env.write(u"Lang/"_s + file, "x");
        const QStringList listed = quotaly::languageList(folder, u"English"_s);
        QCOMPARE(listed, languages);
        for (const QString &language : listed.mid(1)) {
            const QString file = languageFileName(language, u"English"_s);
            QVERIFY2(QFile::exists(folder + u'/' + file), qPrintable(file));
            QCOMPARE(file == u"base.lng", language == u"English");
        }
    }
};

QTEST_GUILESS_MAIN(TestLanguageFile)
#include "tst_LanguageFile.moc"
