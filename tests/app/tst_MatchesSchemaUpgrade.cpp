#include "app/MatchesSchemaUpgrade.h"
#include "common/TestEnv.h"
#include "dataset/Dataset.h"

#include <QRegularExpression>
#include <QTest>

using namespace quotaly;

namespace {

const QByteArray kHead = R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA>)";
QByteArray rowsWithDiscount6(const QByteArray &discount6)
{
    return R"(<PARAMS/></METADATA><ROWDATA><ROW FullName="Acme" sName2="Reps" fDiscount6=")" + discount6 +
           R"(" iWord2="7"/></ROWDATA></DATAPACKET>)";
}

QStringList declaredColumns(const QByteArray &text)
{
    QStringList out;
    const QRegularExpression re(QStringLiteral(R"re(<FIELD attrname="(\w+)" fieldtype="([\w.]+)")re"));
    const QString s = QString::fromUtf8(text);
    const QString fields = s.mid(s.indexOf(QStringLiteral("<FIELDS>")),
                                 s.indexOf(QStringLiteral("</FIELDS>")) - s.indexOf(QStringLiteral("<FIELDS>")));
    for (auto it = re.globalMatch(fields); it.hasNext();) {
        const auto m = it.next();
        out << m.captured(1) + u':' + m.captured(2);
    }
    return out;
}

} // namespace

class TestMatchesSchemaUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void sectionIsTheFixedColumnList()
    {
        const QByteArray section = matchesFieldsSection();
        QVERIFY(section.startsWith(R"(<FIELDS><FIELD attrname="FullName" fieldtype="string" WIDTH="60"/>)"));
        QVERIFY(section.endsWith(R"(<FIELD attrname="fDiscount8" fieldtype="r8"/></FIELDS>)"));
        QVERIFY(!section.contains(' ' + QByteArray("<")) && !section.contains('\n'));
        const QStringList columns = declaredColumns(section);
        QCOMPARE(columns.size(), 35);
        QVERIFY(columns.contains(QStringLiteral("fDiscount6:i4")));
        QVERIFY(columns.contains(QStringLiteral("iPercent2:r8")));
        QVERIFY(columns.contains(QStringLiteral("iName11:i4")));
        QVERIFY(section.contains(R"(<FIELD attrname="sName12" fieldtype="string" WIDTH="25"/>)"));
    }

    void upgradeRewritesColumnsOnly_data()
    {
        QTest::addColumn<QByteArray>("fields");
        QTest::addColumn<QByteArray>("discount6");
        QTest::addColumn<int>("read"); // decimals of a column declared whole go half to even
        const QByteArray r8 = R"(<FIELDS><FIELD attrname="FullName" fieldtype="string" WIDTH="60"/>)"
                              R"(<FIELD attrname="fDiscount6" fieldtype="r8"/><FIELD attrname="iWord2" fieldtype="i4"/></FIELDS>)";
        QTest::newRow("columns missing") << QByteArray(R"(<FIELDS><FIELD attrname="FullName" fieldtype="string" WIDTH="60"/>)"
                                                       R"(<FIELD attrname="sName2" fieldtype="string" WIDTH="25"/></FIELDS>)")
                                         << QByteArray("90") << 90;
        QTest::newRow("fDiscount6 as r8") << r8 << QByteArray("90") << 90;
        QTest::newRow("r8 holding 90.5") << r8 << QByteArray("90.5") << 90;
        QTest::newRow("r8 holding 91.5") << r8 << QByteArray("91.5") << 92;
        QTest::newRow("r8 holding 8.75E1") << r8 << QByteArray("8.75E1") << 88;
        QTest::newRow("pretty-printed") << QByteArray("<FIELDS>\r\n  <FIELD attrname=\"FullName\" fieldtype=\"string\" "
                                                      "WIDTH=\"60\"/>\r\n</FIELDS>")
                                        << QByteArray("90") << 90;
    }

    void upgradeRewritesColumnsOnly()
    {
        QFETCH(QByteArray, fields);
        QFETCH(QByteArray, discount6);
        QFETCH(int, read);
        const QByteArray kRows = rowsWithDiscount6(discount6);
        test::TestEnv env;
        env.write(QStringLiteral("Data/MatchesByClient.xml"), kHead + fields + kRows);
        const UpgradeResult r = UpgradeMatchesSchema(env.path(QStringLiteral("Data/")));
        QVERIFY(r.ok);
        const QByteArray after = test::TestEnv::read(env.path(QStringLiteral("Data/MatchesByClient.xml")));
        QCOMPARE(after, kHead + matchesFieldsSection() + kRows);

        Dataset d(QStringLiteral("MatchesByClient"));
        d.loadFromFile(env.path(QStringLiteral("Data/MatchesByClient.xml")));
        QCOMPARE(d.fieldCount(), 35);
        QCOMPARE(d.asInteger(QStringLiteral("fDiscount6")), read);
        QCOMPARE(d.asInteger(QStringLiteral("iWord2")), 7);
        QCOMPARE(d.asString(QStringLiteral("sName2")), QStringLiteral("Reps"));
    }

    void onlyTheFirstSectionIsReplaced()
    {
        const QByteArray second = R"(<FIELDS><FIELD attrname="x" fieldtype="i4"/></FIELDS>)";
        const QByteArray text = kHead + R"(<FIELDS><FIELD attrname="a" fieldtype="i4"/></FIELDS>)" + second;
        QCOMPARE(upgradeMatchesText(text), kHead + matchesFieldsSection() + second);
    }

    void textWithoutMarkersIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("no opening") << QByteArray("<METADATA></FIELDS>");
        QTest::newRow("no closing") << QByteArray("<METADATA><FIELDS><FIELD/>");
        QTest::newRow("closing before opening") << QByteArray("</FIELDS> <FIELDS>");
    }

    void textWithoutMarkersIsLeftAlone()
    {
        QFETCH(QByteArray, text);
        test::TestEnv env;
        env.write(QStringLiteral("Data/MatchesByClient.xml"), text);
        QVERIFY(UpgradeMatchesSchema(env.path(QStringLiteral("Data/"))).ok);
        QCOMPARE(test::TestEnv::read(env.path(QStringLiteral("Data/MatchesByClient.xml"))), text);
    }

    void unusableFileStopsTheStart()
    {
        test::TestEnv env;
        const UpgradeResult missing = UpgradeMatchesSchema(env.path(QStringLiteral("Data/")));
        QVERIFY(!missing.ok);
        QVERIFY(missing.error.contains(QStringLiteral("MatchesByClient.xml")));
        env.write(QStringLiteral("Data/MatchesByClient.xml"), QByteArray());
        const UpgradeResult empty = UpgradeMatchesSchema(env.path(QStringLiteral("Data/")));
        QVERIFY(!empty.ok);
        QVERIFY(empty.error.contains(QStringLiteral("empty")));
    }
};

QTEST_GUILESS_MAIN(TestMatchesSchemaUpgrade)
#include "tst_MatchesSchemaUpgrade.moc"
