#include "OfficeSession.h"

#include "OfficeProcess.h"
#include "SessionWorker.h"
#include "office/OfficeNotInstalled.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/ref.hxx>

#include <array>
#include <atomic>
#include <csignal>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <QFileInfo>
#include <QRegularExpression>

namespace quotaly::office::lo {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// --- UNO helpers -------------------------------------------------------------------------------------------------

OUString toOUString(const QString &s)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(s.utf16()), sal_Int32(s.size()));
}

QString toQString(const OUString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getStr()), s.getLength());
}

OUString fileUrl(const QString &absolutePath)
{
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(absolutePath), url) != osl::FileBase::E_None)
        throw Error(QStringLiteral("“%1” is not a valid file name.").arg(absolutePath));
    return url;
}

QString pathFromUrl(const OUString &url)
{
    if (!url.startsWithIgnoreAsciiCase("file:"))
        return {};
    OUString path;
    if (osl::FileBase::getSystemPathFromFileURL(url, path) != osl::FileBase::E_None)
        return {};
    return toQString(path);
}

Sequence<css::beans::PropertyValue> properties(std::initializer_list<std::pair<const char *, Any>> list)
{
    Sequence<css::beans::PropertyValue> result(sal_Int32(list.size()));
    css::beans::PropertyValue *out = result.getArray();
    for (const auto &[name, value] : list) {
        out->Name = OUString::createFromAscii(name);
        out->Value = value;
        ++out;
    }
    return result;
}

// --- The connection ----------------------------------------------------------------------------------------------

namespace {

const QString officeGoneText = QStringLiteral(
    "LibreOffice was closed or does not answer. If LibreOffice shows a dialog, close it; then try again.");

// Notices the bridge going away: the office quit, crashed, or the connection was dropped.
class BridgeListener : public cppu::WeakImplHelper1<css::lang::XEventListener>
{
public:
    void SAL_CALL disposing(const css::lang::EventObject &) override { gone = true; }
    std::atomic<bool> gone{false};
};

// The local UNO environment, made once per process. Without URE_BOOTSTRAP pointing at fundamentalrc only the
// basic types are known and the first office call through the bridge crashes instead of failing.
Reference<css::uno::XComponentContext> localContext()
{
    static const Reference<css::uno::XComponentContext> *context = [] {
        if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP")) {
            rtl::Bootstrap::set(OUString("URE_BOOTSTRAP"),
                                toOUString(QStringLiteral("vnd.sun.star.pathname:" QUOTALY_LO_PROGRAM_DIR
                                                          "/fundamentalrc")));
        }
        try {
            // Never released: the UNO libraries stay loaded until the process ends.
            return new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        } catch (const cppu::BootstrapException &e) {
            throw Error(officeNotInstalledText(toQString(e.getMessage())));
        } catch (const css::uno::Exception &e) {
            throw Error(officeNotInstalledText(toQString(e.Message)));
        }
    }();
    return *context;
}

// The office's own text without the source locations it appends (" at ./sfx2/source/doc/x.cxx:123").
QString officeText(const OUString &message)
{
    static const QRegularExpression location(QStringLiteral("\\s+at\\s+\\S+:\\d+"));
    return toQString(message).remove(location).trimmed();
}

QString unoMessage(const css::uno::Exception &e)
{
    const QString message = officeText(e.Message);
    return message.isEmpty() ? QStringLiteral("LibreOffice could not carry out the request.")
                             : QStringLiteral("LibreOffice reported: %1").arg(message);
}

} // namespace

struct SessionLink
{
    Reference<css::connection::XConnection> connection;
    Reference<css::bridge::XBridge> bridge;
    Reference<css::uno::XComponentContext> context;
    Reference<css::frame::XDesktop2> desktop;
    rtl::Reference<BridgeListener> listener;

    bool alive() const { return desktop.is() && !listener->gone; }

    // Ends the connection; calls waiting on the office return with DisposedException. Safe from any thread.
    void close() const
    {
        try {
            const Reference<css::lang::XComponent> component(bridge, UNO_QUERY);
            if (component.is())
                component->dispose();
        } catch (...) {
        }
        try {
            if (connection.is())
                connection->close();
        } catch (...) {
        }
    }
};

// The current link, read by the worker and closed from the waiting thread when a call passes its deadline.
struct SessionConnection
{
    mutable std::mutex mutex;
    std::shared_ptr<SessionLink> link;

    std::shared_ptr<SessionLink> current() const
    {
        std::lock_guard lock(mutex);
        return link;
    }
    void set(std::shared_ptr<SessionLink> l)
    {
        std::lock_guard lock(mutex);
        link = std::move(l);
    }
};

// --- Session -----------------------------------------------------------------------------------------------------

OfficeSession::OfficeSession(const OfficeOptions &options)
    : m_options(options), m_connection(std::make_unique<SessionConnection>()),
      m_process(std::make_unique<OfficeProcess>(options)), m_worker(std::make_unique<SessionWorker>())
{
}

OfficeSession::~OfficeSession()
{
    // A resident office stays for the next run, without this run's documents.
    if (m_options.resident.enabled && !m_loaded.empty()) {
        try {
            runTask(
                [this] {
                    if (const auto link = m_connection->current(); link && link->alive()) {
                        for (const Reference<css::lang::XComponent> &component : m_loaded)
                            closeQuietly(component);
                    }
                    m_loaded.clear();
                },
                5000);
        } catch (...) {
        }
    }
    if (m_process->startedHeadless()) {
        try {
            runTask(
                [this] {
                    if (const auto link = m_connection->current(); link && link->alive())
                        link->desktop->terminate();
                },
                5000);
        } catch (...) {
            // Terminating closes the bridge under our feet; the process is ended below either way.
        }
    }
    if (const auto link = m_connection->current())
        link->close();
    // The references are released on the worker, the thread that made them, before it stops.
    try {
        runTask([this] { m_connection->set({}); }, 5000);
    } catch (...) {
    }
    m_worker.reset();
    m_process->end();
}

bool OfficeSession::headless() const
{
    return m_options.headless;
}

bool OfficeSession::startedByUs() const
{
    return m_process->startedByUs();
}

namespace {

// The UNO runtime puts handlers of its own on the termination signals when it starts, and they neither end
// the program nor let it save. The program's own handlers (which close the windows and save the data) are put
// back as soon as the runtime is up.
class TerminationHandlersKept
{
public:
    TerminationHandlersKept()
    {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], nullptr, &m_saved[i]);
    }
    ~TerminationHandlersKept()
    {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &m_saved[i], nullptr);
    }
    TerminationHandlersKept(const TerminationHandlersKept &) = delete;
    TerminationHandlersKept &operator=(const TerminationHandlersKept &) = delete;

private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    std::array<struct sigaction, 3> m_saved{};
};

} // namespace

void OfficeSession::connect()
{
    const TerminationHandlersKept handlers;
    int deadline = m_options.startTimeoutMs > 0 ? m_options.startTimeoutMs + m_options.callTimeoutMs : -1;
    if (m_options.resident.attachOnly && m_options.startTimeoutMs > 0)
        deadline = m_options.startTimeoutMs; // an office that is there answers at once
    runTask([this] { connectOnWorker(); }, deadline);
}

Reference<css::uno::XComponentContext> OfficeSession::context() const
{
    const auto link = m_connection->current();
    if (!link || !link->alive())
        throw css::lang::DisposedException(OUString("not connected"));
    return link->context;
}

Reference<css::frame::XDesktop2> OfficeSession::desktop() const
{
    const auto link = m_connection->current();
    if (!link || !link->alive())
        throw css::lang::DisposedException(OUString("not connected"));
    return link->desktop;
}

Reference<css::lang::XComponent> OfficeSession::load(const OUString &url,
                                                      const Sequence<css::beans::PropertyValue> &extra)
{
    Sequence<css::beans::PropertyValue> args(extra);
    if (m_options.headless) {
        bool hasHidden = false;
        for (const auto &p : std::as_const(args))
            hasHidden = hasHidden || p.Name == "Hidden";
        if (!hasHidden) {
            args.realloc(args.getLength() + 1);
            args.getArray()[args.getLength() - 1] = properties({{"Hidden", Any(true)}})[0];
        }
    }
    const QString path = pathFromUrl(url);
    const QString name = path.isEmpty() ? toQString(url) : path;
    Reference<css::lang::XComponent> component;
    try {
        const Reference<css::frame::XComponentLoader> loader(desktop(), UNO_QUERY_THROW);
        component = loader->loadComponentFromURL(url, OUString("_blank"), 0, args);
    } catch (const css::lang::IllegalArgumentException &e) {
        throw Error(QStringLiteral("LibreOffice could not open “%1” (%2).").arg(name, officeText(e.Message)));
    } catch (const css::io::IOException &e) {
        throw Error(QStringLiteral("LibreOffice could not open “%1” (%2).").arg(name, officeText(e.Message)));
    }
    if (!component.is())
        throw Error(QStringLiteral("LibreOffice could not open “%1”.").arg(name));
    if (m_options.resident.enabled)
        m_loaded.push_back(component);
    return component;
}

void OfficeSession::show(const Reference<css::lang::XComponent> &component)
{
    if (m_options.headless)
        return;
    const Reference<css::frame::XModel> model(component, UNO_QUERY);
    const Reference<css::frame::XController> controller = model.is() ? model->getCurrentController() : nullptr;
    const Reference<css::frame::XFrame> frame = controller.is() ? controller->getFrame() : nullptr;
    if (!frame.is())
        return;
    const Reference<css::awt::XWindow> window = frame->getContainerWindow();
    if (window.is())
        window->setVisible(true);
    frame->activate();
    const Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
    if (top.is())
        top->toFront();
}

// --- Worker side -------------------------------------------------------------------------------------------------

void OfficeSession::runTask(const std::function<void()> &task, int timeoutMs)
{
    if (timeoutMs == 0)
        timeoutMs = m_options.callTimeoutMs;
    const auto guarded = [this, &task] {
        try {
            task();
        } catch (const Error &) {
            throw;
        } catch (const css::lang::DisposedException &) {
            dropConnection();
            throw Error(officeGoneText);
        } catch (const css::uno::RuntimeException &e) {
            // A failing bridge shows up as a plain RuntimeException too; the listener tells the two apart.
            const auto link = m_connection->current();
            if (!link || !link->alive()) {
                dropConnection();
                throw Error(officeGoneText);
            }
            throw Error(unoMessage(e));
        } catch (const css::uno::Exception &e) {
            throw Error(unoMessage(e));
        } catch (const std::exception &e) {
            throw Error(QString::fromLocal8Bit(e.what()));
        }
    };
    const bool finished = m_worker->run(guarded, timeoutMs, [this] {
        // Past the deadline: closing the connection makes the office call waiting on the worker return.
        if (const auto link = m_connection->current())
            link->close();
    });
    if (!finished) {
        dropConnection();
        throw Error(officeGoneText);
    }
}

void OfficeSession::dropConnection()
{
    const auto link = m_connection->current();
    if (!link)
        return;
    link->close();
    m_connection->set({});
}

void OfficeSession::connectOnWorker()
{
    if (const auto link = m_connection->current(); link && link->alive())
        return;
    dropConnection();
    const Reference<css::uno::XComponentContext> local = localContext();
    const QString pipe = m_process->pipeName();

    const auto tryConnect = [&]() -> std::shared_ptr<SessionLink> {
        auto link = std::make_shared<SessionLink>();
        try {
            link->connection = css::connection::Connector::create(local)->connect(
                toOUString(QStringLiteral("pipe,name=%1").arg(pipe)));
        } catch (const css::connection::NoConnectException &) {
            return {};
        }
        // From here on a call that passes its deadline closes this connection, which makes a hung office's
        // answer fail instead of being waited for.
        m_connection->set(link);
        link->bridge = css::bridge::BridgeFactory::create(local)->createBridge(OUString(), OUString("urp"),
                                                                              link->connection, nullptr);
        link->listener = new BridgeListener;
        Reference<css::lang::XComponent>(link->bridge, UNO_QUERY_THROW)->addEventListener(
            Reference<css::lang::XEventListener>(link->listener.get()));
        link->context.set(link->bridge->getInstance(OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
        link->desktop = css::frame::Desktop::create(link->context);
        return link;
    };

    // An office we started headless that lost its connection has crashed or hung: start a new one.
    if (m_process->startedHeadless())
        m_process->end(0);
    // A headless office is ours to start, except that a resident one is only attached to, when asked.
    const bool resident = m_options.resident.enabled;
    const bool attach = resident && m_options.resident.attachOnly;
    std::shared_ptr<SessionLink> link = m_options.headless && !attach ? nullptr : tryConnect();
    if (!link && attach)
        throw Error(QStringLiteral("No LibreOffice listens on the pipe %1.").arg(pipe));
    if (!link) {
        m_process->start();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.startTimeoutMs);
        // A headless office's pipe may still be held for a moment by an office that was just ended, which drops
        // the connection: that counts as not listening yet.
        const auto tryConnectWhileStarting = [&]() -> std::shared_ptr<SessionLink> {
            if (!m_options.headless)
                return tryConnect();
            try {
                return tryConnect();
            } catch (const css::uno::RuntimeException &) {
                dropConnection();
                return {};
            }
        };
        while (!(link = tryConnectWhileStarting())) {
            m_process->checkRunning();
            if (std::chrono::steady_clock::now() > deadline) {
                throw Error(QStringLiteral("LibreOffice did not start within %1 seconds. Try again, or start "
                                           "LibreOffice yourself first.")
                                .arg(m_options.startTimeoutMs / 1000));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    m_connection->set(link);
    if (resident)
        closeAll(link->desktop); // left by a run that died; this run has the office to itself
}

void OfficeSession::closeAll(const Reference<css::frame::XDesktop2> &desktop)
{
    const Reference<css::container::XEnumeration> open = desktop->getComponents()->createEnumeration();
    std::vector<Reference<css::lang::XComponent>> components;
    while (open->hasMoreElements())
        components.emplace_back(open->nextElement(), UNO_QUERY);
    for (const Reference<css::lang::XComponent> &component : components)
        closeQuietly(component);
}

void OfficeSession::closeQuietly(const Reference<css::lang::XComponent> &component)
{
    try {
        const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else if (component.is())
            component->dispose();
    } catch (const css::uno::Exception &) {
        // Closed already, or the office vetoed; nothing else to do.
    }
}

} // namespace quotaly::office::lo
