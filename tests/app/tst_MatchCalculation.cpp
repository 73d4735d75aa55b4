#include "app/MatchCalculation.h"
#include "app/TDM.h"
#include "common/TestEnv.h"
#include "dataset/Dataset.h"

#include <QTest>

using namespace quotaly;

namespace {

using Counts = QList<double>;

QString rowsText(const QList<MatchRow> &rows)
{
    QStringList out;
    for (const MatchRow &r : rows)
        out << QStringLiteral("[%1] v=%2 d=%3 u=%4 r=%5 a=%6 %7")
                   .arg(r.matchTypes)
                   .arg(r.matchValue)
                   .arg(r.discount)
                   .arg(r.units)
                   .arg(r.rate)
                   .arg(r.amount)
                   .arg(r.currency);
    return out.join(u'\n');
}

} // namespace

class TestMatchCalculation : public QObject
{
    Q_OBJECT

    test::TestEnv m_env;
    std::unique_ptr<TDM> m_dm;
    MatchInputs m_defaults; // a new client's categories

private slots:
    void initTestCase()
    {
        m_dm = std::make_unique<TDM>(m_env.shippedDataDir());
        m_dm->LoadDataSets();
        m_dm->Clients->appendRecord({QStringLiteral("Acme")});
        m_defaults = matchInputsFromRow(*m_dm->MatchesByClient);
        m_defaults.currency = QStringLiteral("USD");
    }

    void defaultLabels()
    {
        QCOMPARE(QStringList(m_defaults.labels.begin(), m_defaults.labels.end()),
                 QStringList({"Repetitions - ", "100% - ", "99%- 95%", "94% - 85%", "84% - 75%", "74% - 50%",
                              " - No matches"}));
        QVERIFY(m_defaults.wordsMode);
    }

    void calculates_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("words");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<Counts>("prices"); // empty: the defaults
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("baseRate");
        QTest::addColumn<bool>("merge");
        QTest::addColumn<QString>("expected");

        const Counts defaults;
        const Counts job{100, 0, 50, 0, 0, 0, 10};
        for (const char *locale : {"C", "de_DE"}) {
            const QByteArray l(locale);
            QTest::newRow((l + " words, no merging").constData())
                << locale << true << job << defaults << "160" << "0.1" << false
                << "[Repetitions - ] v=100 d=80 u=100 r=0.08 a=8 USD\n"
                   "[99%- 95%] v=50 d=80 u=50 r=0.08 a=4 USD\n"
                   "[ - No matches] v=10 d=100 u=10 r=0.1 a=1 USD";
            QTest::newRow((l + " words, merging").constData())
                << locale << true << job << defaults << "160" << "0.1" << true
                << "[Repetitions - 95%] v=150 d=80 u=150 r=0.08 a=12 USD\n"
                   "[ - No matches] v=10 d=100 u=10 r=0.1 a=1 USD";
            QTest::newRow((l + " percent of the total").constData()) << locale << false << Counts{10, 0, 0, 0, 0, 0, 0} << defaults
                                                       << "2000" << "0.1" << false
                                                       << "[Repetitions - ] v=10 d=80 u=200 r=0.08 a=16 USD";
            QTest::newRow((l + " total with a point").constData()) << locale << false << Counts{0, 0, 0, 0, 0, 0, 100} << defaults
                                                     << "1.5" << "1" << false
                                                     << "[ - No matches] v=100 d=100 u=1.5 r=1 a=1.5 USD";
            QTest::newRow((l + " every count zero").constData()) << locale << true << Counts{0, 0, 0, 0, 0, 0, 0} << defaults << "5"
                                                   << "0.1" << true << "";
            QTest::newRow((l + " every slot, merging").constData()) << locale << true << Counts{1, 1, 1, 1, 1, 1, 1} << defaults
                                                      << "7" << "1" << true
                                                      << "[Repetitions - 95%] v=3 d=80 u=3 r=0.8 a=2.4 USD\n"
                                                         "[94% - 50%] v=3 d=90 u=3 r=0.9 a=2.7 USD\n"
                                                         "[ - No matches] v=1 d=100 u=1 r=1 a=1 USD";
            QTest::newRow((l + " one price for all").constData()) << locale << true << Counts{1, 1, 1, 1, 1, 1, 1}
                                                    << Counts{50, 50, 50, 50, 50, 50, 50} << "7" << "1" << true
                                                    << "[Repetitions - No matches] v=7 d=50 u=7 r=0.5 a=3.5 USD";
            QTest::newRow((l + " zero slot between equal prices").constData()) << locale << true << Counts{0, 5, 0, 5, 0, 0, 0}
                                                                 << Counts{80, 80, 80, 80, 90, 90, 100} << "10" << "1"
                                                                 << true << "[100% - 85%] v=10 d=80 u=10 r=0.8 a=8 USD";
            QTest::newRow((l + " prices compared exactly").constData()) << locale << true << Counts{1, 1, 0, 0, 0, 0, 0}
                                                          << Counts{80, 80.0001, 80, 90, 90, 90, 100} << "2" << "1"
                                                          << true
                                                          << "[Repetitions - ] v=1 d=80 u=1 r=0.8 a=0.8 USD\n"
                                                             "[100% - ] v=1 d=80.0001 u=1 r=0.800001 a=0.800001 USD";
            QTest::newRow((l + " base rate that does not convert").constData()) << locale << true << Counts{0, 4, 0, 0, 0, 0, 0}
                                                                  << defaults << "4" << "abc" << false
                                                                  << "[100% - ] v=4 d=80 u=4 r=0 a=0 USD";
            QTest::newRow((l + " total that does not convert").constData()) << locale << false << Counts{0, 50, 0, 0, 0, 0, 0}
                                                              << defaults << "many" << "1" << false
                                                              << "[100% - ] v=50 d=80 u=0 r=0.8 a=0 USD";
        }
        QTest::newRow("comma total, comma locale") << "de_DE" << false << Counts{0, 0, 0, 0, 0, 0, 100} << defaults
                                                   << "1,5" << "1" << false
                                                   << "[ - No matches] v=100 d=100 u=1.5 r=1 a=1.5 USD";
        QTest::newRow("comma total, point locale") << "C" << false << Counts{0, 0, 0, 0, 0, 0, 100} << defaults
                                                   << "1,5" << "1" << false
                                                   << "[ - No matches] v=100 d=100 u=0 r=1 a=0 USD";
    }

    void calculates()
    {
        QFETCH(QString, locale);
        QFETCH(bool, words);
        QFETCH(Counts, counts);
        QFETCH(Counts, prices);
        QFETCH(QString, total);
        QFETCH(QString, baseRate);
        QFETCH(bool, merge);
        QFETCH(QString, expected);
        MatchInputs in = m_defaults;
        in.wordsMode = words;
        for (int i = 0; i < kSlotCount; ++i) {
            (words ? in.words : in.percents)[i] = counts[i];
            if (!prices.isEmpty())
                in.prices[i] = prices[i];
        }
        in.totalText = total;
        in.baseRateText = baseRate;
        in.merge = merge;
        const auto result = calculateMatches(in, QLocale(locale));
        QVERIFY(result);
        QCOMPARE(rowsText(result->rows), expected);
    }

    void emptyTotalStopsTheCalculation()
    {
        MatchInputs in = m_defaults;
        in.words[0] = 10;
        QVERIFY(!calculateMatches(in, QLocale::c()));
    }

    void mergedLabels_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("merged");
        QTest::newRow("100% with 95-99%") << "100% - " << "99%- 95%" << "100% - 95%";
        QTest::newRow("name with a dash loses its tail") << "Cross-file - " << "100% - " << "Cross- ";
        QTest::newRow("cut to 25 characters") << "Repetitions of segments - " << " - No matches at all"
                                              << "Repetitions of segments -";
        QTest::newRow("no dash") << "A" << "B" << "AB";
    }

    void mergedLabels()
    {
        QFETCH(QString, row);
        QFETCH(QString, slot);
        QFETCH(QString, merged);
        QCOMPARE(mergeLabels(row, slot), merged);
    }

    void rateFormat_data()
    {
        QTest::addColumn<double>("baseRate");
        QTest::addColumn<QString>("format");
        QTest::newRow("0.1") << 0.1 << "0.00";
        QTest::newRow("12") << 12.0 << "0.00";
        QTest::newRow("0.125") << 0.125 << "0.000";
        QTest::newRow("0.0575") << 0.0575 << "0.0000";
        QTest::newRow("12.125") << 12.125 << "0.000";
        QTest::newRow("1.1 (binary noise)") << 1.1 << "0.00";
        QTest::newRow("0.00001") << 0.00001 << "0.00000";
    }

    void rateFormat()
    {
        QFETCH(double, baseRate);
        QFETCH(QString, format);
        QCOMPARE(rateDisplayFormat(baseRate), format);
    }

    void nullModeFlagsMeanPercent()
    {
        Dataset *m = m_dm->MatchesByClient;
        m->edit();
        m->setValue(QStringLiteral("bMatchTypeWords"), QVariant());
        m->setValue(QStringLiteral("bMatchTypePercent"), QVariant());
        m->post();
        QVERIFY(!matchInputsFromRow(*m).wordsMode);
    }

    void reportDatasetHoldsTheRowsAfterARestart()
    {
        MatchInputs in = m_defaults;
        in.words = {100, 0, 50, 0, 0, 0, 10};
        in.totalText = QStringLiteral("160");
        in.baseRateText = QStringLiteral("0.125");
        const auto result = calculateMatches(in, QLocale::c());
        fillReportDataset(*m_dm->tmpMatches, *result);
        QCOMPARE(m_dm->tmpMatches->recordCount(), 3);
        Dataset reread(QStringLiteral("tmpMatches"));
        reread.loadFromFile(m_dm->tmpMatches->fileName());
        QCOMPARE(reread.recordCount(), 3);
        QCOMPARE(reread.asString(QStringLiteral("MatchTypes")), QStringLiteral("Repetitions - "));
        QCOMPARE(m_dm->tmpMatches->field(m_dm->tmpMatches->fieldIndex(QStringLiteral("Amount"))).displayFormat,
                 QStringLiteral("0.000"));
    }
};

QTEST_GUILESS_MAIN(TestMatchCalculation)
#include "tst_MatchCalculation.moc"
