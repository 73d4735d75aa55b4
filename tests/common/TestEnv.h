#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quotaly::test {

/// Isolates a test: QStandardPaths test mode (settings and app data under ~/.qttest), cleared settings of
/// every organisation the program writes, and a temporary folder for data files.
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString dir() const { return m_dir.path(); }

    /// A `Data/` folder holding copies of the data files the program ships with; returns it with its "/".
    QString shippedDataDir() const;

    /// Writes bytes to a file under the temporary folder (creating sub-folders) and returns its path.
    QString write(const QString &name, const QByteArray &bytes) const;
    static QByteArray read(const QString &path);

    static void clearSettings();

private:
    QTemporaryDir m_dir;
};

/// Reads a fixture from tests/data.
QByteArray fixture(const QString &relativePath);

} // namespace quotaly::test
