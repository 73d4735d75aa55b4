#include "QuotalyApplication.h"

#include "Dialogs.h"
#include "dataset/Error.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>

#include <QScopeGuard>
#include <QSessionManager>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quotaly::ui {

namespace {

// [0] is written by the signal handler, [1] is watched by the event loop.
int g_signalFds[2] = {-1, -1};
struct sigaction g_previousTerm;
struct sigaction g_previousInt;

void onTerminationSignal(int signalNumber)
{
    // Only async-signal-safe calls here: hand the signal to the event loop through the socket.
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalFds[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

QuotalyApplication::QuotalyApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    installSignalHandlers();
#ifndef QT_NO_SESSIONMANAGER
    // Saving happens as the main window closes; leave the session manager's call before doing it.
    connect(this, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        QMetaObject::invokeMethod(this, &QuotalyApplication::requestQuit, Qt::QueuedConnection);
    });
#endif
}

QuotalyApplication::~QuotalyApplication()
{
    removeSignalHandlers();
}

void QuotalyApplication::installSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalFds) != 0) {
        qWarning("Cannot watch for termination signals: %s", std::strerror(errno));
        g_signalFds[0] = g_signalFds[1] = -1;
        return;
    }
    m_signalNotifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, &QuotalyApplication::onSignalPipe);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // A second signal while the first is being handled ends the program the usual way.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGTERM, &action, &g_previousTerm);
    sigaction(SIGINT, &action, &g_previousInt);
}

void QuotalyApplication::removeSignalHandlers()
{
    if (!m_signalNotifier)
        return;
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGINT, &g_previousInt, nullptr);
    delete m_signalNotifier;
    m_signalNotifier = nullptr;
    ::close(g_signalFds[0]);
    ::close(g_signalFds[1]);
    g_signalFds[0] = g_signalFds[1] = -1;
}

void QuotalyApplication::onSignalPipe()
{
    char buffer[16];
    while (::read(g_signalFds[1], buffer, sizeof buffer) > 0) {
    }
    requestQuit();
}

void QuotalyApplication::requestQuit()
{
    if (m_inQuitHandler)
        return;
    m_inQuitHandler = true;
    const auto done = qScopeGuard([this] { m_inQuitHandler = false; });
    if (m_quitHandler)
        m_quitHandler();
    else
        quit();
}

bool QuotalyApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error &e) {
        showError(e.text());
    } catch (const std::exception &e) {
        showError(QString::fromUtf8(e.what()));
    }
    return false;
}

void QuotalyApplication::showError(const QString &text)
{
    // A handler that fails again while its message is up (a paint event, say) must not stack up boxes.
    if (m_showingError) {
        qWarning("%s", qUtf8Printable(text));
        return;
    }
    m_showingError = true;
    const auto done = qScopeGuard([this] { m_showingError = false; });
    dialogs().message(nullptr, text, Dialogs::Kind::Error);
}

} // namespace quotaly::ui
