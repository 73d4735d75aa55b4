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

/// Makes file permissions apply to the test while it lives, also when the suite runs as root (as CI does): the
/// effective user and group become "nobody". The folders it works in must let that user in (openToEveryone()).
class Unprivileged
{
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;
    /// False when the rights could not be dropped; the test should then skip with a message.
    bool ok() const { return m_ok; }

private:
    bool m_dropped = false;
    bool m_ok = true;
};

/// While it lives, no file of the process can grow beyond `bytes`: a full disk, as far as saving goes (writes stop
/// short, SIGXFSZ is ignored).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_old = -1;
};

/// Lets every user read, write and enter `path` (a folder or a file of a test's own).
void openToEveryone(const QString &path);

/// Reads a fixture from tests/data.
QByteArray fixture(const QString &relativePath);

} // namespace quotaly::test
