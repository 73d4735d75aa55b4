#pragma once

#include "TfMatchResults.h"
#include "office/OfficeTypes.h"

#include <functional>

class QWidget;

namespace quotaly {
namespace office {
class OfficeSuite;
}
namespace ui {
class DataGrid;
}

/// Where a window gets the program's office suite from when a command needs it.
using OfficeSuiteSource = std::function<office::OfficeSuite &()>;

/// The wait cursor for as long as it lives, whichever way the scope is left.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    /// The normal cursor again while it lives, for a dialog shown in the middle of a busy command.
    class Pause
    {
    public:
        Pause();
        ~Pause();
        Pause(const Pause &) = delete;
        Pause &operator=(const Pause &) = delete;
    };
};

/// Runs one conversation with the office under the wait cursor. A failed outcome shows its message, and so
/// does a failure thrown on the way; a cancelled one shows nothing.
office::Outcome runOfficeCommand(QWidget *parent, const std::function<office::Outcome()> &command);

/// The suite a source gives; fails with a message when the window was given none.
office::OfficeSuite &officeSuiteFrom(const OfficeSuiteSource &source);

/// Exports the report grid to the spreadsheet or the word processor as the request says. For an existing file
/// the user picks it in the open-file dialog.
office::Outcome exportReport(QWidget *parent, ui::DataGrid &grid, const ReportExportRequest &request,
                             const OfficeSuiteSource &suite);

} // namespace quotaly
