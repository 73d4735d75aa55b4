#pragma once

#include <functional>

#include <QApplication>

class QSocketNotifier;

namespace quotaly::ui {

/// The application object. Its notify() is the general error handler: a quotaly::Error or other
/// std::exception thrown by a handler is shown as an error message and the event loop goes on. A termination
/// request (SIGTERM, SIGINT, the end of the desktop session) runs the quit handler inside the event loop.
class QuotalyApplication : public QApplication
{
    Q_OBJECT

public:
    QuotalyApplication(int &argc, char **argv);
    ~QuotalyApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    /// What a termination request does (the main window closes itself as if Exit was chosen). Without one,
    /// quit() runs, which closes the windows.
    void setQuitHandler(std::function<void()> handler) { m_quitHandler = std::move(handler); }
    /// Runs the quit handler now.
    void requestQuit();

private:
    void installSignalHandlers();
    void removeSignalHandlers();
    void onSignalPipe();
    void showError(const QString &text);

    std::function<void()> m_quitHandler;
    QSocketNotifier *m_signalNotifier = nullptr;
    bool m_showingError = false;
    bool m_inQuitHandler = false;
};

} // namespace quotaly::ui
