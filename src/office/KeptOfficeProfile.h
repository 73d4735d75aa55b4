#pragma once

#include <QString>

namespace quotaly::office {

/// The office profile that command-line runs keep between runs, so that the office starts from a profile it has
/// set up before instead of building a new one each time. A lock file beside the profile folder, held for as
/// long as this object lives, makes sure two running programs never share the profile: a program that finds it
/// locked runs its office in a temporary profile instead. The lock is the operating system's (flock), so a
/// program that died, however it died, leaves no lock behind.
class KeptOfficeProfile
{
public:
    /// Takes the profile `folder` (empty: defaultFolder()), creating it on first use. Never throws: when the
    /// profile cannot be taken, profileDir() is empty and note() says why.
    explicit KeptOfficeProfile(const QString &folder = {});
    /// Releases the lock. The office that used the profile must have ended before.
    ~KeptOfficeProfile();
    KeptOfficeProfile(const KeptOfficeProfile &) = delete;
    KeptOfficeProfile &operator=(const KeptOfficeProfile &) = delete;

    /// The profile folder under the user's cache folder: ~/.cache/quotaly/office-profile.
    static QString defaultFolder();

    /// The kept profile's folder while this object holds its lock; empty when the office should run in a
    /// temporary profile of its own.
    QString profileDir() const { return m_locked ? m_folder : QString(); }
    /// One line that says which profile the office uses and, for a temporary one, why.
    QString note() const { return m_note; }
    /// The open lock file while this object holds the lock (close-on-exec); -1 otherwise.
    int lockDescriptor() const { return m_locked ? m_fd : -1; }

private:
    QString m_folder;
    int m_fd = -1;
    bool m_locked = false;
    QString m_note;
};

} // namespace quotaly::office
