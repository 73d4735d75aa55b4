#include "common/ScriptedDialogs.h"
#include "dataset/Dataset.h"
#include "ui/DatasetTableModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;

namespace {

struct Matches
{
    Dataset ds{u"MatchesByClient"_s};
    DatasetTableModel model{&ds};

    Matches()
    {
        FieldDef words = FieldDef::integer(u"iWord2"_s);
        words.displayLabel = u"Words"_s;
        FieldDef discount = FieldDef::floating(u"fDiscount2"_s);
        discount.displayFormat = u"0.00 %"_s;
        FieldDef locked = FieldDef::text(u"Locked"_s, 10);
        locked.readOnly = true;
        ds.setFields({FieldDef::text(u"sName2"_s, 20, true), words, discount, FieldDef::floating(u"Rate"_s), locked});
        ds.createDataSet();
        ds.appendRecord({u"Repetitions"_s, 1200, 80.0, 0.125, u"x"_s});
        ds.appendRecord({u"100%"_s, {}, 12.5, 12.0});
    }
    QVariant cell(int row, int column, int role = Qt::DisplayRole) const
    {
        return model.data(model.index(row, column), role);
    }
};

} // namespace

class TestDatasetTableModel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void headers_data();
    void headers();
    void cells_data();
    void cells();
    void followsDataset();
    void setData_data();
    void setData();
    void readOnly();
};

void TestDatasetTableModel::headers_data()
{
    QTest::addColumn<QStringList>("fieldNames");
    QTest::addColumn<QStringList>("headers");

    QTest::newRow("all fields") << QStringList{} << QStringList{"sName2", "Words", "fDiscount2", "Rate", "Locked"};
    QTest::newRow("chosen, any case") << QStringList{"rate", "IWORD2"} << QStringList{"Rate", "Words"};
    QTest::newRow("missing field") << QStringList{"Gone", "sName2"} << QStringList{"Gone", "sName2"};
}

void TestDatasetTableModel::headers()
{
    QFETCH(QStringList, fieldNames);
    QFETCH(QStringList, headers);
    Matches m;
    m.model.setFieldNames(fieldNames);

    QStringList shown;
    for (int c = 0; c < m.model.columnCount(); ++c)
        shown << m.model.headerData(c, Qt::Horizontal).toString();
    QCOMPARE(shown, headers);
    QCOMPARE(m.model.rowCount(), 2);
}

void TestDatasetTableModel::cells_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QVariant>("edit");
    QTest::addColumn<bool>("rightAligned");

    QTest::newRow("text") << "C" << 0 << 0 << "Repetitions" << QVariant("Repetitions") << false;
    QTest::newRow("integer") << "C" << 0 << 1 << "1200" << QVariant(qint64(1200)) << true;
    QTest::newRow("null") << "C" << 1 << 1 << "" << QVariant() << true;
    QTest::newRow("display format") << "de_DE" << 1 << 2 << "12,50 %" << QVariant(12.5) << true;
    QTest::newRow("general form") << "de_DE" << 0 << 3 << "0,125" << QVariant(0.125) << true;
}

void TestDatasetTableModel::cells()
{
    QFETCH(QString, locale);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, display);
    QFETCH(QVariant, edit);
    QFETCH(bool, rightAligned);
    QLocale::setDefault(QLocale(locale));
    Matches m;

    QCOMPARE(m.cell(row, column).toString(), display);
    QCOMPARE(m.cell(row, column, Qt::EditRole), edit);
    QCOMPARE(m.cell(row, column, Qt::EditRole).isNull(), edit.isNull());
    QCOMPARE(bool(m.cell(row, column, Qt::TextAlignmentRole).toInt() & Qt::AlignRight), rightAligned);
}

void TestDatasetTableModel::followsDataset()
{
    Matches m;
    QSignalSpy inserted(&m.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&m.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&m.model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&m.model, &QAbstractItemModel::modelReset);

    m.ds.first();
    m.ds.insert(); // a pending row shows at once, before the current one
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    m.ds.setValue(u"sName2"_s, u"Fuzzy"_s);
    QCOMPARE(m.cell(0, 0).toString(), u"Fuzzy"_s);
    QVERIFY(!changed.isEmpty());
    m.ds.cancel();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(m.cell(0, 0).toString(), u"Repetitions"_s);

    m.ds.last();
    m.ds.deleteRecord();
    QCOMPARE(removed.count(), 2);
    QCOMPARE(m.model.rowCount(), 1);
    QCOMPARE(reset.count(), 0); // row by row, no reset

    m.ds.close();
    QCOMPARE(m.model.rowCount(), 0);
    m.ds.setFields({FieldDef::text(u"Other"_s, 5)}); // a file brings its own columns
    m.ds.createDataSet();
    QCOMPARE(m.model.columnCount(), 1);
    QCOMPARE(m.model.headerData(0, Qt::Horizontal).toString(), u"Other"_s);
}

void TestDatasetTableModel::setData_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("stored"); // of row 1 afterwards
    QTest::addColumn<QString>("message"); // empty when accepted

    QTest::newRow("text") << "C" << 0 << QVariant("Fuzzy 95%") << QVariant("Fuzzy 95%") << "";
    QTest::newRow("integer as text") << "C" << 1 << QVariant("250") << QVariant(qint64(250)) << "";
    QTest::newRow("float typed with comma") << "de_DE" << 3 << QVariant("90,5") << QVariant(90.5) << "";
    QTest::newRow("not a number") << "C" << 1 << QVariant("abc") << QVariant() << "'abc' is not a valid integer value";
    QTest::newRow("required emptied") << "C" << 0 << QVariant("") << QVariant("100%")
                                      << "Field 'sName2' must have a value";
}

void TestDatasetTableModel::setData()
{
    QFETCH(QString, locale);
    QFETCH(int, column);
    QFETCH(QVariant, input);
    QFETCH(QVariant, stored);
    QFETCH(QString, message);
    QLocale::setDefault(QLocale(locale));
    test::ScriptedDialogs dialogs;
    Matches m;
    m.ds.first();
    const int changesBefore = m.ds.changeCount();

    const bool accepted = m.model.setData(m.model.index(1, column), input);

    QCOMPARE(accepted, message.isEmpty());
    QCOMPARE(dialogs.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(m.ds.state(), DatasetState::Browse); // a refused edit is not left pending
    QCOMPARE(m.ds.changeCount(), changesBefore + (accepted ? 1 : 0));
    QCOMPARE(m.cell(1, column, Qt::EditRole), stored);
    QCOMPARE(m.cell(1, column, Qt::EditRole).isNull(), stored.isNull());
}

void TestDatasetTableModel::readOnly()
{
    Matches m;
    QVERIFY(m.model.flags(m.model.index(0, 0)) & Qt::ItemIsEditable);
    QVERIFY(!m.model.setData(m.model.index(0, 4), u"y"_s)); // a read-only field
    m.model.setReadOnly(true);
    QVERIFY(!(m.model.flags(m.model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!m.model.setData(m.model.index(0, 0), u"y"_s));
    QCOMPARE(m.cell(0, 0).toString() + m.cell(0, 4).toString(), u"Repetitionsx"_s);
}

QTEST_MAIN(TestDatasetTableModel)
#include "tst_DatasetTableModel.moc"
