#pragma once

#include "office/OfficeSuite.h"

#include <atomic>
#include <memory>

#include <QString>

namespace quotaly::office::lo {

/// The soffice process of a session. Headless: a private office with a profile and pipe of its own, in a
/// process group of its own so that it can be ended with every process it started; or, resident, one that
/// outlives the program under a watchdog that ends it when it has been idle. Otherwise the user's office is asked
/// to listen on the program's pipe; if none runs, one is started for the user and left running.
class OfficeProcess
{
public:
    explicit OfficeProcess(const OfficeOptions &options);
    /// Ends a headless office that is still running and removes the profile made for it.
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess &) = delete;
    OfficeProcess &operator=(const OfficeProcess &) = delete;

    /// The pipe the office accepts connections on.
    QString pipeName() const { return m_pipeName; }
    /// Runs soffice with the options; throws quotaly::Error when it is not installed or cannot be run.
    void start();
    /// Throws quotaly::Error when a headless office we started has already exited.
    void checkRunning();
    /// True when the office we talk to was started by this program: always headless, and for the user's
    /// office when no other instance took over our request to start one.
    bool startedByUs() const;
    /// True while a headless office we started has not been ended.
    bool startedHeadless() const { return m_headlessPid > 0; }
    /// Ends a headless office we started: waits up to graceMs for it to exit by itself (after terminate), then
    /// kills its process group. Nothing for the user's office.
    void end(int graceMs = 3000);

private:
    QString findSoffice() const;
    void startResident(const QString &soffice, const QStringList &arguments);

    OfficeOptions m_options;
    QString m_pipeName;
    QString m_profileDir;
    bool m_ownProfile = false;
    qint64 m_headlessPid = 0;
    qint64 m_watchdogPid = 0; ///< ends the headless office's group should this program die first
    qint64 m_residentPid = 0; ///< the watchdog of a resident office this program started (not ended by us)
    // Desktop start: whether the soffice we ran is still running (it exits at once when it hands the request to
    // an office that already runs). Shared with the thread that reaps it.
    std::shared_ptr<std::atomic<int>> m_desktopState;
};

} // namespace quotaly::office::lo
