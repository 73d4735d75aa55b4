#pragma once

#include <exception>
#include <thread>

namespace quotaly {

/// True when a second thread can run beside this one: the machine has more than one core.
inline bool secondCoreAvailable()
{
    return std::thread::hardware_concurrency() > 1;
}

/// Runs `here` on this thread while `there` runs on a second one, and returns once both are done. Nothing is left
/// running whatever happens; an exception of `here` (first) or of `there` goes on to the caller.
template <typename Here, typename There> void runSideBySide(Here &&here, There &&there)
{
    std::exception_ptr thereFailed;
    std::thread second([&] {
        try {
            there();
        } catch (...) {
            thereFailed = std::current_exception();
        }
    });
    try {
        here();
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (thereFailed)
        std::rethrow_exception(thereFailed);
}

} // namespace quotaly
