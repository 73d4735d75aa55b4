#include "LibreOfficeSpreadsheet.h"
#include "OfficeSession.h"

namespace quotaly::office::lo {

namespace {

// Every word processor and spreadsheet of the suite shares its one session; the session, and with it a
// headless office, ends when the last of them is gone.
class LibreOfficeSuite : public OfficeSuite
{
public:
    explicit LibreOfficeSuite(const OfficeOptions &options) : m_session(std::make_shared<OfficeSession>(options)) {}

    std::unique_ptr<WordProcessor> wordProcessor() override { return createLibreOfficeWordProcessor(m_session); }
    std::unique_ptr<Spreadsheet> spreadsheet() override { return std::make_unique<LibreOfficeSpreadsheet>(m_session); }

private:
    std::shared_ptr<OfficeSession> m_session;
};

} // namespace

} // namespace quotaly::office::lo

/// The module's entry point, looked up by the program at run time. The caller owns the suite.
extern "C" __attribute__((visibility("default"))) quotaly::office::OfficeSuite *
quotaly_create_libreoffice_suite(const quotaly::office::OfficeOptions *options)
{
    return new quotaly::office::lo::LibreOfficeSuite(*options);
}
