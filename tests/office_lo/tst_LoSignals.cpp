// The program saves its data when it is asked to end (SIGTERM, SIGINT, SIGHUP); talking to the office must not
// take those kSignals away from it.
#include "LoFixture.h"

#include <array>
#include <csignal>

namespace {

void ownHandler(int) {}

} // namespace

class TestLoSignals : public QObject
{
    Q_OBJECT

private slots:
    void connectingKeepsTheProgramsTerminationHandlers()
    {
        constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
        std::array<struct sigaction, 3> before{};
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction action = {};
            action.sa_handler = ownHandler;
            sigemptyset(&action.sa_mask);
            QCOMPARE(sigaction(kSignals[i], &action, &before[i]), 0);
        }
        QUOTALY_START_OFFICE(m_office);
        // A conversation after the connection, as an export makes.
        const std::unique_ptr<quotaly::office::Spreadsheet> calc = m_office.suite().spreadsheet();
        calc->connect();
        QVERIFY(!calc->addWorkbook().isNull());
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction now = {};
            QCOMPARE(sigaction(kSignals[i], nullptr, &now), 0);
            QVERIFY2(now.sa_handler == ownHandler, qPrintable(QStringLiteral("signal %1").arg(kSignals[i])));
            sigaction(kSignals[i], &before[i], nullptr);
        }
    }

private:
    quotaly::test::LoFixture m_office;
};

QTEST_GUILESS_MAIN(TestLoSignals)
#include "tst_LoSignals.moc"
