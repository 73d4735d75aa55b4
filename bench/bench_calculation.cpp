// Times the pricing of a job (the Calculate button) with and without merging.
#include "app/MatchCalculation.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QElapsedTimer>

using namespace quotaly;

int main()
{
    MatchInputs in;
    in.wordsMode = true;
    in.labels = {QStringLiteral("Repetitions - "), QStringLiteral("100% - "), QStringLiteral("99%- 95%"),
                 QStringLiteral("94% - 85%"),      QStringLiteral("84% - 75%"), QStringLiteral("74% - 50%"),
                 QStringLiteral(" - No matches")};
    in.words = {312, 1632, 210, 95, 17, 48, 2875};
    in.prices = {25, 30, 60, 80, 90, 100, 100};
    in.totalText = QStringLiteral("5189");
    in.baseRateText = QStringLiteral("0.125");
    in.currency = QStringLiteral("EUR");
    const QLocale locale = QLocale::c();

    constexpr int kRuns = 100000;
    for (bool merge : {false, true}) {
        in.merge = merge;
        std::vector<double> times;
        double sink = 0;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < kRuns; ++i)
                sink += calculateMatches(in, locale)->rows.size();
            times.push_back(double(t.nsecsElapsed()) / kRuns / 1000.0);
        }
        std::sort(times.begin(), times.end());
        std::printf("calculate a job (%s): median %.2f us per calculation (%g rows)\n",
                    merge ? "merging" : "no merging", times[2], sink / (5.0 * kRuns));
    }
    return 0;
}
