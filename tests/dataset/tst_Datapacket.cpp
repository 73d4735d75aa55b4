#include "common/TestEnv.h"
#include "dataset/Datapacket.h"
#include "dataset/Error.h"
#include "dataset/Windows1252.h"

#include <cmath>
#include <cstring>

#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;
using quotaly::test::fixture;

namespace {

const QByteArray kPlain = R"(<?xml version="1.0" standalone="yes"?>  )";
const QByteArray kUtf8 = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>  )";

Datapacket readFixture(const QString &name)
{
    return readDatapacket(fixture(QStringLiteral("dataset/") + name));
}

QByteArray packetBytes(const QByteArray &fields, const QByteArray &rows, const QByteArray &params = "<PARAMS/>")
{
    return kUtf8 + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields + "</FIELDS>" + params +
           "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

int column(const Datapacket &packet, const QString &name)
{
    for (qsizetype i = 0; i < packet.fields.size(); ++i) {
        if (packet.fields.at(i).name == name)
            return int(i);
    }
    return -1;
}

QStringList columnValues(const Datapacket &packet, const QString &name)
{
    QStringList values;
    for (const RowValues &row : packet.rows)
        values << row.at(column(packet, name)).toString();
    return values;
}

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

} // namespace

class tst_Datapacket : public QObject
{
    Q_OBJECT

private slots:
    void readsValues_data();
    void readsValues();
    void readsFieldDefinitions_data();
    void readsFieldDefinitions();
    void remembersDeclaration_data();
    void remembersDeclaration();
    void keepsOnlyCurrentRowVersions();
    void keepsNestedTablesRaw();
    void plainVariantStaysAscii();
    void readsRowShapes_data();
    void readsRowShapes();
    void rejectsBadInput_data();
    void rejectsBadInput();
    void rewritesFixturesByteForByte_data();
    void rewritesFixturesByteForByte();
    void writesDelphiLayout();
    void valuesSurviveWriteAndRead_data();
    void valuesSurviveWriteAndRead();
    void largeFileReadsAsItsText();
    void loadsLongValues();
    void windows1252RoundTrip();
};

void tst_Datapacket::readsValues_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("apos and amp") << "clients_dfxml.xml" << 0 << "FULLNAME" << QVariant(u"O'Brien & Partners"_s);
    QTest::newRow("quot") << "clients_dfxml.xml" << 0 << "AddressLine1" << QVariant(u"12 \"Old\" Mill Lane"_s);
    QTest::newRow("memo CR LF and tags") << "clients_dfxml.xml" << 0 << "Notes"
                                         << QVariant(u"Prefers <b>bold</b> terms\r\nInvoice monthly"_s);
    QTest::newRow("tab reference") << "clients_dfxml.xml" << 2 << "Notes" << QVariant(u"Tab\tseparated"_s);
    QTest::newRow("character reference") << "clients_dfxml.xml" << 1 << "FULLNAME" << QVariant(u"Büro Müller GmbH"_s);
    QTest::newRow("non-BMP reference") << "clients_dfxml.xml" << 2 << "FULLNAME" << QVariant(u"Smile 😀 Ltd"_s);
    QTest::newRow("empty string") << "clients_dfxml.xml" << 1 << "Tel" << QVariant(QString(u""_s));
    QTest::newRow("absent is NULL") << "clients_dfxml.xml" << 2 << "Tel" << QVariant();
    QTest::newRow("r8 fraction") << "clients_dfxml.xml" << 0 << "Rate" << QVariant(0.12);
    QTest::newRow("r8 15 digits") << "clients_dfxml.xml" << 1 << "Rate" << QVariant(19.6850393700787);
    QTest::newRow("TRUE") << "clients_dfxml.xml" << 1 << "VatExempt" << QVariant(true);
    QTest::newRow("FALSE") << "clients_dfxml.xml" << 0 << "VatExempt" << QVariant(false);
    QTest::newRow("raw UTF-8") << "clients_utf8.xml" << 1 << "FULLNAME" << QVariant(u"日本翻訳株式会社 😀"_s);
    QTest::newRow("fixed chars keep blanks") << "string_uni.xml" << 0 << "CURRENCYCODE" << QVariant(u"GBP   "_s);
    QTest::newRow("fieldname") << "fieldnames.xml" << 0 << "Length (cm)" << QVariant(50.0);
    QTest::newRow("base64 blob kept") << "fieldnames.xml" << 0 << "Graphic"
                                      << QVariant(u"AQAAAXY8AABCTXY8AAAAAAAAdgAAACgAAAA="_s);
    QTest::newRow("i8 beyond double") << "types.xml" << 0 << "JobID" << QVariant(qint64(9007199254740993LL));
    QTest::newRow("ui1 maximum") << "types.xml" << 0 << "Priority" << QVariant(qint64(255));
    QTest::newRow("dateTime raw") << "types.xml" << 0 << "Due" << QVariant(u"19950202T01:05:03000"_s);
    QTest::newRow("1252 u umlaut") << "windows1252.xml" << 0 << "City" << QVariant(u"Dürres"_s);
    QTest::newRow("1252 en dash") << "windows1252.xml" << 2 << "City" << QVariant(u"Saint-Étienne – Loire"_s);
    QTest::newRow("1252 undefined byte") << "windows1252.xml" << 3 << "City" << QVariant(u"€ \u0081"_s);
    QTest::newRow("pretty decimal comma") << "pretty.xml" << 0 << "Rate" << QVariant(8.5);
    QTest::newRow("pretty exponent") << "pretty.xml" << 1 << "Rate" << QVariant(0.001);
    QTest::newRow("lower-case true") << "pretty.xml" << 0 << "Paid" << QVariant(true);
    QTest::newRow("mixed-case false") << "pretty.xml" << 1 << "Paid" << QVariant(false);
    QTest::newRow("stray PARAMS end") << "stray_params.xml" << 0 << "Name" << QVariant(u"Kept"_s);
}

void tst_Datapacket::readsValues()
{
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(QVariant, expected);

    const Datapacket packet = readFixture(file);
    const int index = column(packet, field);
    QVERIFY2(index >= 0, qPrintable(field));
    QVERIFY(row < packet.rows.size());
    const QVariant actual = packet.rows.at(row).value(index);
    QCOMPARE(actual.isValid(), expected.isValid());
    QCOMPARE(actual.metaType(), expected.metaType());
    QCOMPARE(actual, expected);
}

void tst_Datapacket::readsFieldDefinitions_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("attrName");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("required");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("subtype");
    QTest::addColumn<QString>("extras");
    QTest::addColumn<QString>("innerXml");

    QTest::newRow("autoinc") << "clients_dfxml.xml"
                             << "ClientID"
                             << "ClientID"
                             << "i4" << 0 << false << true << "Autoinc"
                             << ""
                             << "";
    QTest::newRow("required string") << "clients_dfxml.xml"
                                     << "FULLNAME"
                                     << "FULLNAME"
                                     << "string" << 60 << true << false << ""
                                     << ""
                                     << "";
    QTest::newRow("memo width is no limit") << "clients_dfxml.xml"
                                            << "Notes"
                                            << "Notes"
                                            << "bin.hex" << 0 << false << false << "Text"
                                            << "WIDTH=1"
                                            << "";
    QTest::newRow("string.uni bytes") << "clients_utf8.xml"
                                      << "FULLNAME"
                                      << "FULLNAME"
                                      << "string.uni" << 60 << true << false << ""
                                      << ""
                                      << "";
    QTest::newRow("string.uni one char") << "string_uni.xml"
                                         << "CANCELLED"
                                         << "CANCELLED"
                                         << "string.uni" << 1 << false << false << ""
                                         << ""
                                         << "";
    QTest::newRow("fieldname") << "fieldnames.xml"
                               << "Species No"
                               << "Species_No"
                               << "r8" << 0 << false << false << ""
                               << ""
                               << "";
    QTest::newRow("fixed precision") << "types.xml"
                                     << "Amount"
                                     << "Amount"
                                     << "fixed" << 0 << false << false << ""
                                     << "DECIMALS=2;WIDTH=10"
                                     << "";
    QTest::newRow("link field") << "nested.xml"
                                << "LINK_FIELD"
                                << "LINK_FIELD"
                                << "ui4" << 0 << false << false << ""
                                << "hidden=true;linkfield=true"
                                << "";
    QTest::newRow("provider PARAM") << "nested.xml"
                                    << "CustNo"
                                    << "CustNo"
                                    << "r8" << 0 << false << false << ""
                                    << ""
                                    << R"(<PARAM Name="ORIGIN" Value="DBDEMOS.&quot;customer.DB&quot;.CustNo" )"
                                       R"(Roundtrip="True"/>)";
    QTest::newRow("nested") << "nested.xml"
                            << "Orders"
                            << "Orders"
                            << "nested" << 0 << false << false << ""
                            << ""
                            << R"(<FIELDS><FIELD attrname="OrderNo" fieldtype="r8"/><FIELD attrname="SaleDate" )"
                               R"(fieldtype="dateTime"/><FIELD attrname="Memo" fieldtype="string" WIDTH="40"/>)"
                               R"(</FIELDS><PARAMS LCID="1033"/>)";
}

void tst_Datapacket::readsFieldDefinitions()
{
    QFETCH(QString, file);
    QFETCH(QString, name);

    const Datapacket packet = readFixture(file);
    const int index = column(packet, name);
    QVERIFY2(index >= 0, qPrintable(name));
    const FieldDef &field = packet.fields.at(index);
    QStringList extras;
    for (const auto &[key, value] : field.extraAttributes)
        extras << key + u'=' + value;

    QTEST(field.attrName, "attrName");
    QTEST(field.typeToken, "type");
    QTEST(field.width, "width");
    QTEST(field.required, "required");
    QTEST(field.readOnly, "readOnly");
    QTEST(field.subtype, "subtype");
    QTEST(extras.join(u';'), "extras");
    QTEST(field.innerXml, "innerXml");
}

void tst_Datapacket::remembersDeclaration_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("plain");

    QTest::newRow("dfXML") << "clients_dfxml.xml" << true;
    QTest::newRow("dfXMLUTF8") << "clients_utf8.xml" << false;
    QTest::newRow("windows-1252 bytes") << "windows1252.xml" << true;
    QTest::newRow("no declaration") << "pretty.xml" << false;
}

void tst_Datapacket::remembersDeclaration()
{
    QFETCH(QString, file);
    QFETCH(bool, plain);
    QCOMPARE(readFixture(file).declaration == Datapacket::Declaration::Plain, plain);
}

void tst_Datapacket::keepsOnlyCurrentRowVersions()
{
    const Datapacket packet = readFixture(QStringLiteral("changelog.xml"));
    QCOMPARE(columnValues(packet, QStringLiteral("Name")),
             QStringList({u"inserted"_s, u"unchanged"_s, u"inserted, then edited"_s, u"original, edited"_s,
                          u"details edited"_s}));
    QCOMPARE(packet.params, AttributeList({{u"LCID"_s, u"1033"_s}}));

    const Datapacket stray = readFixture(QStringLiteral("stray_params.xml"));
    QCOMPARE(stray.rows.size(), 1);
    QCOMPARE(stray.params, AttributeList({{u"LCID"_s, u"1033"_s}}));
}

void tst_Datapacket::keepsNestedTablesRaw()
{
    const Datapacket packet = readFixture(QStringLiteral("nested.xml"));
    const int orders = column(packet, QStringLiteral("Orders"));
    QCOMPARE(packet.rows.size(), 3);
    QCOMPARE(packet.rows.at(0).at(orders).toString(),
             uR"(<Orders><ROWOrders OrderNo="1023" SaleDate="19880701" Memo="Grüße &amp; &apos;thanks&apos;"/>)"
             uR"(<ROWOrders RowState="4" OrderNo="1076" SaleDate="19881216T10:15:00000"/></Orders>)"_s);
    QVERIFY(!packet.rows.at(1).at(orders).isValid());
    QCOMPARE(packet.rows.at(2).at(orders).toString(), u"<Orders/>"_s);
    QCOMPARE(packet.paramsInnerXml, uR"(<PARAM Name="DOMAIN" Value="AQIDBA==" Type="bin.hex"/>)"_s);
}

void tst_Datapacket::plainVariantStaysAscii()
{
    // Raw XML kept from a UTF-8 file gets character references in text and values when written without encoding.
    Datapacket packet = readFixture(QStringLiteral("nested.xml"));
    packet.declaration = Datapacket::Declaration::Plain;
    packet.fields[1].name = u"Société"_s;
    const QByteArray bytes = writeDatapacket(packet);
    for (const char c : bytes)
        QVERIFY2(uchar(c) < 0x80, bytes.constData());
    QVERIFY(bytes.contains(R"(Memo="Gr&#252;&#223;e &amp; &apos;thanks&apos;")"));
    QVERIFY(bytes.contains(R"(fieldname="Soci&#233;t&#233;" attrname="Company")"));
    const Datapacket back = readDatapacket(bytes);
    QCOMPARE(back.fields.at(1).name, u"Société"_s);
    QCOMPARE(writeDatapacket(back), bytes);
}

void tst_Datapacket::readsRowShapes_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("expected");

    QTest::newRow("single quotes") << QByteArray(R"(<ROW Name='say "hi"'/>)") << u"say \"hi\""_s;
    QTest::newRow("spaces around =") << QByteArray("<ROW Name = \"x\" />") << u"x"_s;
    QTest::newRow("raw >") << QByteArray(R"(<ROW Name="a>b"/>)") << u"a>b"_s;
    QTest::newRow("hex reference") << QByteArray(R"(<ROW Name="&#xFC;&#x1F600;"/>)") << u"ü😀"_s;
    QTest::newRow("short reference") << QByteArray(R"(<ROW Name="&#9;|&#1;"/>)") << u"\t|\u0001"_s;
    QTest::newRow("vertical tab") << QByteArray(R"(<ROW Name="a&#011;b&#x0B;"/>)") << u"a\u000Bb\u000B"_s;
    QTest::newRow("raw tab and line break") << QByteArray("<ROW Name=\"a\tb\r\nc\"/>") << u"a b c"_s;
    QTest::newRow("second row state") << QByteArray(R"(<ROW RowState="1" Name="old"/><ROW RowState="8" Name="new"/>)")
                                      << u"new"_s;
    QTest::newRow("value of a column no longer declared") << QByteArray(R"(<ROW Fax="123" Name="x"/>)") << u"x"_s;
    QTest::newRow("raw UTF-8") << QByteArray("<ROW Name=\"Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80\"/>") << u"Grüße 😀"_s;
    QTest::newRow("value starting with U+FEFF") << QByteArray("<ROW Name=\"\xEF\xBB\xBFKept\"/>") << u"\uFEFFKept"_s;
    QTest::newRow("raw UTF-8 and references")
        << QByteArray("<ROW Name=\"\xC3\xA9&amp;&#233;&#x0B;\"/>") << u"é&é\u000B"_s;
}

void tst_Datapacket::readsRowShapes()
{
    QFETCH(QByteArray, rows);
    QFETCH(QString, expected);
    const QByteArray name = R"(<FIELD attrname="Name" fieldtype="string" WIDTH="20"/>)";
    // As written (read from the bytes), behind a comment (read by the general XML parser) and in UTF-16 (read from
    // the decoded text).
    const QByteArray utf8 = packetBytes(name, rows);
    const QString text = QString::fromUtf8(utf8);
    const QByteArray utf16 = "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    for (const QByteArray &bytes : {utf8, packetBytes(name, "<!-- edited by hand -->" + rows), utf16}) {
        const Datapacket packet = readDatapacket(bytes);
        QCOMPARE(packet.rows.size(), 1);
        QCOMPARE(packet.rows.at(0).at(0).toString(), expected);
    }
}

void tst_Datapacket::rejectsBadInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("mentions");

    const QByteArray name = R"(<FIELD attrname="Name" fieldtype="string" WIDTH="20"/>)";
    QTest::newRow("empty") << QByteArray() << QStringList{u"empty"_s};
    QTest::newRow("blank") << QByteArray(" \r\n") << QStringList{u"empty"_s};
    QTest::newRow("not XML") << QByteArray("Name;Rate\nSmith;0.1\n") << QStringList{u"not a valid XML"_s, u"line 1"_s};
    QTest::newRow("truncated mid-row") << fixture(u"dataset/bad_truncated.xml"_s)
                                       << QStringList{u"incomplete"_s, u"line 1"_s};
    QTest::newRow("other root") << fixture(u"dataset/bad_root.xml"_s) << QStringList{u"<CLIENTS>"_s};
    QTest::newRow("i4 text") << fixture(u"dataset/bad_value.xml"_s)
                             << QStringList{u"Invalid value \"abc\" for field iName3 (i4) in row 3"_s};
    QTest::newRow("no METADATA") << QByteArray("<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>")
                                 << QStringList{u"METADATA"_s};
    QTest::newRow("no FIELDS") << QByteArray("<DATAPACKET><METADATA><PARAMS/></METADATA><ROWDATA/></DATAPACKET>")
                               << QStringList{u"FIELDS"_s};
    const QByteArray rate = R"(<FIELD attrname="Rate" fieldtype="r8"/>)";
    QTest::newRow("r8 two points") << packetBytes(rate, R"(<ROW Rate="1"/><ROW Rate="1.2.3"/>)")
                                   << QStringList{u"\"1.2.3\""_s, u"Rate (r8)"_s, u"row 2"_s};
    QTest::newRow("boolean maybe") << packetBytes(R"(<FIELD attrname="Paid" fieldtype="boolean"/>)",
                                                  R"(<ROW Paid="maybe"/>)")
                                   << QStringList{u"\"maybe\""_s, u"Paid (boolean)"_s};
    QTest::newRow("i2 overflow") << packetBytes(R"(<FIELD attrname="N" fieldtype="i2"/>)", R"(<ROW N="40000"/>)")
                                 << QStringList{u"\"40000\""_s, u"(i2)"_s};
    QTest::newRow("line break in value") << packetBytes(R"(<FIELD attrname="N" fieldtype="i4"/>)",
                                                        R"(<ROW N="1&#013;&#010;2"/>)")
                                         << QStringList{u"\"1  2\" for field N"_s};
    QTest::newRow("ui1 negative") << packetBytes(R"(<FIELD attrname="N" fieldtype="ui1"/>)", R"(<ROW N="-1"/>)")
                                  << QStringList{u"\"-1\""_s, u"(ui1)"_s};
    QTest::newRow("no attrname") << packetBytes(R"(<FIELD fieldtype="string"/>)", "") << QStringList{u"attrname"_s};
    QTest::newRow("no fieldtype") << packetBytes(R"(<FIELD attrname="Name"/>)", "") << QStringList{u"fieldtype"_s};
    QTest::newRow("field twice") << packetBytes(name + name, "") << QStringList{u"Name twice"_s};
    QTest::newRow("bad WIDTH") << packetBytes(R"(<FIELD attrname="N" fieldtype="string" WIDTH="wide"/>)", "")
                               << QStringList{u"WIDTH"_s, u"\"wide\""_s};
    QTest::newRow("bad RowState") << packetBytes(name, R"(<ROW RowState="new" Name="a"/>)")
                                  << QStringList{u"RowState"_s, u"\"new\""_s};
    QTest::newRow("foreign row element") << packetBytes(name, R"(<RECORD Name="a"/>)")
                                         << QStringList{u"<RECORD>"_s, u"ROWDATA"_s};
    QTest::newRow("child of a plain row")
        << packetBytes(name, R"(<ROW Name="a"><Name/></ROW>)") << QStringList{u"Row 1"_s, u"<Name>"_s};
    QTest::newRow("declared UTF-8, is not")
        << packetBytes(name, "<ROW Name=\"D\xfcrres\"/>") << QStringList{u"UTF-8"_s};
    QTest::newRow("U+FFFF in a value") << packetBytes(name, "<ROW Name=\"a\xEF\xBF\xBF\"/>")
                                       << QStringList{u"not a valid XML"_s};
    QTest::newRow("broken reference in a column no longer declared")
        << packetBytes(name, R"(<ROW Fax="1&#22d" Name="a"/>)") << QStringList{u"not a valid XML"_s};
    QTest::newRow("UTF-8 surrogate") << packetBytes(name, "<ROW Name=\"a\xED\xA0\x80\"/>")
                                     << QStringList{u"UTF-8"_s};
}

void tst_Datapacket::rejectsBadInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, mentions);
    try {
        readDatapacket(bytes);
        QFAIL("no error");
    } catch (const Error &error) {
        for (const QString &mention : std::as_const(mentions))
            QVERIFY2(error.text().contains(mention), qPrintable(error.text()));
        QVERIFY2(!error.text().contains(u'\n'), qPrintable(error.text()));
    }
}

void tst_Datapacket::rewritesFixturesByteForByte_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("commentInRows");
    for (const char *file : {"clients_dfxml.xml", "clients_utf8.xml", "string_uni.xml", "fieldnames.xml", "nested.xml",
                             "types.xml", "empty_table.xml"}) {
        QTest::addRow("%s", file) << QString::fromLatin1(file) << false;
        // A comment makes the rows go through the general XML parser instead of the quick scanner.
        QTest::addRow("%s, comment in rows", file) << QString::fromLatin1(file) << true;
    }
}

void tst_Datapacket::rewritesFixturesByteForByte()
{
    QFETCH(QString, file);
    QFETCH(bool, commentInRows);
    const QByteArray original = fixture(u"dataset/"_s + file);
    QByteArray input = original;
    if (commentInRows)
        input.replace("<ROWDATA>", "<ROWDATA><!-- checked -->");
    QCOMPARE(writeDatapacket(readDatapacket(input)), original);
}

void tst_Datapacket::writesDelphiLayout()
{
    Datapacket packet;
    packet.declaration = Datapacket::Declaration::Plain;
    packet.fields << FieldDef::text(u"FULLNAME"_s, 60, true) << FieldDef::floating(u"Length (cm)"_s);
    FieldDef code = FieldDef::text(u"Currency"_s, 3);
    code.typeToken = u"string.uni"_s;
    FieldDef id = FieldDef::integer(u"ID"_s);
    id.readOnly = id.required = true;
    id.subtype = u"Autoinc"_s;
    id.extraAttributes = {{u"DECIMALS"_s, u"0"_s}, {u"hidden"_s, u"true"_s}};
    packet.fields << code << id;
    packet.params = {{u"DEFAULT_ORDER"_s, u"1"_s}, {u"LCID"_s, u"1033"_s}};
    packet.rows << RowValues{u"Büro \"Ü\" 😀"_s, 50.0 / 2.54, QVariant(), qint64(7)} << RowValues{u""_s};

    QCOMPARE(writeDatapacket(packet),
             kPlain + R"(<DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                      R"(<FIELD attrname="FULLNAME" fieldtype="string" required="true" WIDTH="60"/>)"
                      R"x(<FIELD fieldname="Length (cm)" attrname="Length__cm_" fieldtype="r8"/>)x"
                      R"(<FIELD attrname="Currency" fieldtype="string.uni" WIDTH="6"/>)"
                      R"(<FIELD attrname="ID" fieldtype="i4" readonly="true" required="true" hidden="true" )"
                      R"(SUBTYPE="Autoinc" DECIMALS="0"/></FIELDS><PARAMS DEFAULT_ORDER="1" LCID="1033"/>)"
                      R"(</METADATA><ROWDATA><ROW FULLNAME="B&#252;ro &quot;&#220;&quot; &#128512;" )"
                      R"(Length__cm_="19.68503937007874" ID="7"/><ROW FULLNAME=""/></ROWDATA></DATAPACKET>)");

    packet.declaration = Datapacket::Declaration::Utf8;
    packet.params.clear();
    packet.rows.clear();
    const QByteArray empty = writeDatapacket(packet);
    QVERIFY(empty.startsWith(kUtf8 + "<DATAPACKET"));
    QVERIFY(empty.endsWith("<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>"));
}

void tst_Datapacket::valuesSurviveWriteAndRead_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("plain");

    const QList<std::pair<const char *, double>> doubles = {
        {"0.1", 0.1},
        {"0.1+0.2", 0.1 + 0.2},
        {"1e-300", 1e-300},
        {"123456789.123456789", 123456789.123456789},
        {"-0.0", -0.0},
        {"50/2.54", 50.0 / 2.54},
        {"max", std::numeric_limits<double>::max()},
        {"denormal", std::numeric_limits<double>::denorm_min()},
        {"1e15", 1e15},
        {"infinity", std::numeric_limits<double>::infinity()},
    };
    const QList<std::pair<const char *, QString>> texts = {
        {"escapes", u"a&b<c>d\"e'f\r\ng\th"_s},
        {"controls", u"vt\u000B ff\u000C nul"_s + QChar(0) + u" us\u001F"_s},
        {"non-BMP", u"😀𝄞"_s},
        {"DEL and C1 controls", u"\u007F\u0081\u009F"_s},
        {"mixed scripts", u"Grüße – Ελληνικά 日本 €"_s},
        {"blanks kept", u"  two  "_s},
        {"markup look-alike", u"]]> &amp; &#252;"_s},
        {"empty", u""_s},
    };
    for (const bool plain : {true, false}) {
        const char *variant = plain ? "plain" : "utf8";
        for (const auto &[tag, value] : doubles)
            QTest::addRow("r8 %s %s", tag, variant) << u"r8"_s << QVariant(value) << plain;
        for (const auto &[tag, value] : texts)
            QTest::addRow("string %s %s", tag, variant) << u"string"_s << QVariant(value) << plain;
        QTest::addRow("i8 min %s", variant) << u"i8"_s << QVariant(std::numeric_limits<qint64>::min()) << plain;
        QTest::addRow("boolean %s", variant) << u"boolean"_s << QVariant(true) << plain;
        QTest::addRow("date %s", variant) << u"date"_s << QVariant(u"20240229"_s) << plain;
    }
}

void tst_Datapacket::valuesSurviveWriteAndRead()
{
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(bool, plain);

    Datapacket packet;
    packet.declaration = plain ? Datapacket::Declaration::Plain : Datapacket::Declaration::Utf8;
    FieldDef field = FieldDef::text(u"Value"_s, 0);
    field.typeToken = type;
    packet.fields << field;
    packet.rows << RowValues{value};

    const QByteArray bytes = writeDatapacket(packet);
    if (plain) {
        for (const char c : bytes)
            QVERIFY2(uchar(c) < 0x80, bytes.constData());
    }
    const Datapacket back = readDatapacket(bytes);
    QCOMPARE(back.rows.size(), 1);
    const QVariant actual = back.rows.at(0).at(0);
    QCOMPARE(actual.metaType(), value.metaType());
    if (value.metaType().id() == QMetaType::Double)
        QVERIFY2(sameDouble(actual.toDouble(), value.toDouble()), bytes.constData());
    else
        QCOMPARE(actual, value);
    QCOMPARE(writeDatapacket(back), bytes);
}

void tst_Datapacket::largeFileReadsAsItsText()
{
    // Large enough to be read and written in two halves; every kind of value, and rows dropped by their state on both
    // sides.
    const QByteArray fields = R"(<FIELD attrname="Name" fieldtype="string" WIDTH="60"/>)"
                              R"(<FIELD attrname="N" fieldtype="i4"/><FIELD attrname="Rate" fieldtype="r8"/>)"
                              R"(<FIELD attrname="Paid" fieldtype="boolean"/>)";
    QByteArray rows;
    for (int i = 0; rows.size() < 5 * 1024 * 1024; ++i) {
        rows += "<ROW" + QByteArray(i % 7 == 3 ? " RowState=\"1\"" : "") + " Name=\"" +
                (i % 3 ? QByteArray("Client ") : QByteArray("Soci\xC3\xA9t\xC3\xA9 &amp; \xE5\x8C\x97 ")) +
                QByteArray::number(i) + "\" N=\"" + QByteArray::number(i - 50000) + "\" Rate=\"" +
                QByteArray::number(i / 8.0) + "\" Paid=\"" + (i % 2 ? "TRUE" : "false") + "\"/>\r\n";
    }
    const QByteArray utf8 = packetBytes(fields, rows);
    const QString text = QString::fromUtf8(utf8);
    const Datapacket fromText =
        readDatapacket("\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    const Datapacket fromBytes = readDatapacket(utf8);
    QVERIFY(fromText.rows.size() > 50000);
    QCOMPARE(fromBytes.rows, fromText.rows);
    const QByteArray written = writeDatapacket(fromBytes); // long enough to be written in two halves too
    QCOMPARE(written, writeDatapacket(fromText));
    QCOMPARE(readDatapacket(written).rows, fromBytes.rows);
}

void tst_Datapacket::loadsLongValues()
{
    const QString longText(10 * 1024 * 1024, u'x');
    const QByteArray bytes = packetBytes(R"(<FIELD attrname="Notes" fieldtype="string" WIDTH="100"/>)",
                                         "<ROW Notes=\"" + longText.toLatin1() + "\"/>");
    const Datapacket packet = readDatapacket(bytes);
    QCOMPARE(packet.rows.at(0).at(0).toString().size(), longText.size());
}

void tst_Datapacket::windows1252RoundTrip()
{
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = char(i);
    const QString text = decodeWindows1252(every);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0x96), QChar(0x2013));
    QCOMPARE(text.at(0x9D), QChar(0x9D));
    QCOMPARE(text.at(0xE9), QChar(0xE9));
    bool lossless = false;
    QCOMPARE(encodeWindows1252(text, &lossless), every);
    QVERIFY(lossless);
    QCOMPARE(encodeWindows1252(u"Ł😀x"_s, &lossless), QByteArray("??x"));
    QVERIFY(!lossless);
}

QTEST_GUILESS_MAIN(tst_Datapacket)
#include "tst_Datapacket.moc"
