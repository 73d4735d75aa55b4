#pragma once

// Timing helper shared by the benchmarks.
#include <algorithm>
#include <functional>
#include <vector>

#include <QElapsedTimer>

/// Runs `work` `repetitions` times and returns the median wall time in milliseconds.
inline double medianMs(int repetitions, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}
