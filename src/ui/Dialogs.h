#pragma once

#include <optional>

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace quotaly::ui {

/// Every message, question, input, file dialog and shell "open" of the program goes through this seam.
/// The production implementation shows Qt dialogs; tests install a scripted one.
class Dialogs
{
public:
    enum class Kind {
        Plain,        ///< a plain box with the text and OK
        Information,
        Confirmation, ///< a confirmation-style box with OK only
        Warning,
        Error,
    };

    virtual ~Dialogs() = default;

    virtual void message(QWidget *parent, const QString &text, Kind kind = Kind::Plain) = 0;
    /// A Yes/No question; true only for Yes.
    virtual bool question(QWidget *parent, const QString &text) = 0;
    /// A one-line input; nullopt when cancelled.
    virtual std::optional<QString> input(QWidget *parent, const QString &caption, const QString &prompt,
                                         const QString &value) = 0;
    /// An open-file dialog; empty when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    /// A save-file dialog; empty when cancelled.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    /// Hands a web page, a mailto: link or a local file to the desktop; the result is not checked.
    virtual void openUrl(const QUrl &url) = 0;

    /// What a save dialog with several filter entries returned.
    struct FileChoice
    {
        QString fileName;    ///< empty when cancelled
        int filterIndex = 0; ///< the chosen filter entry, 0-based
    };
    /// A save dialog on a filter in the "Description|*.ext|Description|*.a; *.b" form, starting on one entry,
    /// asking before it overwrites a file.
    virtual FileChoice saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                                int filterIndex) = 0;

    /// The installed implementation (the Qt one unless a test installed another).
    static Dialogs &instance();
    /// Installs an implementation; nullptr restores the Qt one. The caller keeps ownership.
    static void install(Dialogs *dialogs);
};

/// The production implementation on QMessageBox, QInputDialog, QFileDialog and QDesktopServices.
class QtDialogs : public Dialogs
{
public:
    void message(QWidget *parent, const QString &text, Kind kind) override;
    bool question(QWidget *parent, const QString &text) override;
    std::optional<QString> input(QWidget *parent, const QString &caption, const QString &prompt,
                                 const QString &value) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    void openUrl(const QUrl &url) override;
    FileChoice saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                        int filterIndex) override;
};

/// Turns a "Description|*.ext|Description|*.a; *.b" filter into the entries of a Qt file dialog
/// ("Description (*.ext)"); a description that already ends with its patterns in brackets is kept as it is.
QStringList qtFileFilters(const QString &filter);

/// Shorthand for Dialogs::instance().
inline Dialogs &dialogs()
{
    return Dialogs::instance();
}

} // namespace quotaly::ui
