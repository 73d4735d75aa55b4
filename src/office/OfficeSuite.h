#pragma once

#include "Spreadsheet.h"
#include "WordProcessor.h"

#include <memory>

#include <QString>

namespace quotaly::office {

/// A headless office that stays running after the program that started it has ended, for later runs to use
/// (see ResidentOffice).
struct ResidentOfficeOptions
{
    bool enabled = false;
    /// Only connect to an office that listens on the pipe already; never start one.
    bool attachOnly = false;
    /// When starting one: the descriptor of the profile's lock, which the office's watchdog holds for as long as
    /// the office runs, and the lock file, into which the watchdog writes its process id (its process group).
    int profileLockDescriptor = -1;
    QString lockFile;
    /// The watchdog ends the office once this file has not been touched for idleSeconds and it can lock it
    /// (the run that uses the office holds the lock).
    QString useFile;
    int idleSeconds = 600;
};

/// How the program reaches its office suite.
struct OfficeOptions
{
    /// A batch run or a test: the office runs without windows, in a profile of its own (profileDir), and is
    /// ended when the suite is destroyed. Otherwise the user's own office is used, or started for them and
    /// left running.
    bool headless = false;
    /// The name of the pipe the office listens on for this program; empty: a name of the program's own.
    QString pipeName;
    /// The office's user profile folder; empty: the user's own profile. Used when this program starts it.
    QString profileDir;
    /// The office's program folder (the one holding soffice); empty: found on PATH or in the usual places.
    QString programDir;
    /// How long a single call may take before the office counts as not answering.
    int callTimeoutMs = 60000;
    /// How long starting the office and connecting to it may take.
    int startTimeoutMs = 60000;
    /// Headless only: the office outlives this program and serves later runs on pipeName.
    ResidentOfficeOptions resident;
};

/// Where word processors and spreadsheets come from. Each one is a fresh conversation object; all of them
/// share one connection to the office, made on the first connect().
class OfficeSuite
{
public:
    virtual ~OfficeSuite() = default;
    virtual std::unique_ptr<WordProcessor> wordProcessor() = 0;
    virtual std::unique_ptr<Spreadsheet> spreadsheet() = 0;
};

/// The office suite this program was built with: LibreOffice; or, in a build without it, one whose connect()
/// fails with a message naming what to install.
std::unique_ptr<OfficeSuite> createOfficeSuite(const OfficeOptions &options);

} // namespace quotaly::office
