#pragma once

// One headless LibreOffice per test executable, reached through the program's own loader, with a fresh profile,
// a pipe of its own and a fresh folder for the files a test writes. Use it as a member of the test object:
//
//     void initTestCase() { QUOTALY_START_OFFICE(m_office); }
//
// A machine without LibreOffice (or a build without the bridge) skips the tests with a message; any other
// failure to start fails them.

#include "office/OfficeSuite.h"
#include "office/OfficeTypes.h"

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace quotaly::test {

class LoFixture
{
public:
    enum class Start
    {
        Ready,
        Unavailable, ///< LibreOffice or the bridge module is missing: skip
        Failed
    };

    /// Starts the office and connects to it once; message() tells why it did not.
    Start start()
    {
        if (!m_profile.isValid() || !m_output.isValid()) {
            m_message = QStringLiteral("Could not make temporary folders.");
            return Start::Failed;
        }
        office::OfficeOptions options;
        options.headless = true;
        options.profileDir = m_profile.path();
        options.pipeName = QStringLiteral("quotaly_test_%1_%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        m_pipeName = options.pipeName;
        m_suite = office::createOfficeSuite(options);
        m_keepAlive = m_suite->spreadsheet();
        try {
            m_keepAlive->connect();
        } catch (const std::exception &e) {
            m_message = office::failureText(e);
            const bool missing = m_message.startsWith(QStringLiteral("LibreOffice is not installed"));
            if (missing)
                m_message = QStringLiteral("LibreOffice integration tests skipped: ") + m_message;
            m_keepAlive.reset();
            m_suite.reset();
            return missing ? Start::Unavailable : Start::Failed;
        }
        return Start::Ready;
    }

    QString message() const { return m_message; }
    office::OfficeSuite &suite() { return *m_suite; }
    /// The pipe the office listens on, for checks made with python3-uno.
    QString pipeName() const { return m_pipeName; }
    /// A path in the folder for this executable's output files.
    QString path(const QString &name) const { return m_output.filePath(name); }
    QString outputDir() const { return m_output.path(); }

    /// A Python interpreter that has the uno module (for checks and test files made through the office's own
    /// scripting bridge); empty when python3-uno is not installed.
    static QString python()
    {
        // The Debian interpreter carries the uno module; another python3 on PATH usually does not.
        for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            const QString found = candidate.startsWith(u'/') ? candidate : QStandardPaths::findExecutable(candidate);
            if (found.isEmpty() || !QFile::exists(found))
                continue;
            if (QProcess::execute(found, {QStringLiteral("-c"), QStringLiteral("import uno")}) == 0)
                return found;
        }
        return {};
    }

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_output;
    QString m_pipeName;
    QString m_message;
    std::unique_ptr<office::OfficeSuite> m_suite;
    // Holds the connection for the whole run, so the office starts once.
    std::unique_ptr<office::Spreadsheet> m_keepAlive;
};

} // namespace quotaly::test

#define QUOTALY_START_OFFICE(fixture)                                                                                 \
    do {                                                                                                               \
        switch ((fixture).start()) {                                                                                   \
        case quotaly::test::LoFixture::Start::Ready:                                                                   \
            break;                                                                                                     \
        case quotaly::test::LoFixture::Start::Unavailable:                                                             \
            QSKIP(qPrintable((fixture).message()));                                                                    \
        case quotaly::test::LoFixture::Start::Failed:                                                                  \
            QFAIL(qPrintable((fixture).message()));                                                                    \
        }                                                                                                              \
    } while (false)
