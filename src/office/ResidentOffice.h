#pragma once

#include "KeptOfficeProfile.h"
#include "OfficeSuite.h"

#include <memory>

#include <QString>

namespace quotaly::office {

/// The headless office that the command-line runs of one user share, so that only the first of them waits for
/// LibreOffice to start. It listens on a pipe named after the user and its profile folder and runs in a profile of
/// its own, which its watchdog keeps locked for as long as the office runs. One run at a time uses it; a run that
/// finds it in use starts an office of its own. The watchdog ends the office once no run has used it for
/// idleSeconds().
///
/// An object of this class is one run's claim on the office: it holds the "in use" lock from construction to
/// destruction and marks the office as used when it lets go.
class ResidentOffice
{
public:
    /// Claims the office whose profile is `folder` (empty: defaultFolder()). Never throws: available() says
    /// whether this run may use it, note() why not.
    explicit ResidentOffice(const QString &folder = {});
    /// Marks the office as used just now and lets another run use it.
    ~ResidentOffice();
    ResidentOffice(const ResidentOffice &) = delete;
    ResidentOffice &operator=(const ResidentOffice &) = delete;

    /// The profile folder under the user's cache folder: ~/.cache/quotaly/office-resident.
    static QString defaultFolder();
    /// True when QUOTALY_NO_RESIDENT_OFFICE is set to anything but empty or 0.
    static bool disabledByEnvironment();
    /// How long the office waits unused before it ends; QUOTALY_RESIDENT_OFFICE_IDLE (seconds) changes it.
    static int idleSeconds();

    /// True when this run holds the "in use" lock.
    bool available() const { return m_useFd >= 0; }
    /// Why the run cannot use the office, when it cannot.
    QString note() const { return m_note; }
    QString pipeName() const;

    /// True when a watchdog holds the profile, that is, an office is there (it may have crashed or hung all the
    /// same: connect with a short timeout).
    bool running() const;
    /// Takes the profile for an office this run starts; false when another process holds it.
    bool takeProfile();
    /// The options for connecting to the office (attach: only to one that is there) or for starting it once
    /// takeProfile() succeeded.
    OfficeOptions officeOptions(bool attach) const;
    /// Ends the office and its watchdog, whatever state they are in, and waits a few seconds at most until the
    /// profile is free again. Gives up the profile this run took.
    void end();

private:
    QString m_folder;
    int m_useFd = -1;
    std::unique_ptr<KeptOfficeProfile> m_profile;
    QString m_note;
};

} // namespace quotaly::office
