#pragma once

// The connection to LibreOffice shared by every word processor and spreadsheet of one suite. Only the files in
// this folder include UNO headers; they are built into a module loaded at run time.

#include "dataset/Error.h"
#include "office/OfficeSuite.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include <QString>

namespace quotaly::office::lo {

namespace css = ::com::sun::star;
using ::rtl::OUString;

// --- UNO helpers -------------------------------------------------------------------------------------------------

OUString toOUString(const QString &s);
QString toQString(const OUString &s);
/// The file: URL of an absolute local path.
OUString fileUrl(const QString &absolutePath);
/// The local path of a file: URL; empty for any other URL (including the empty one of a never-saved document).
QString pathFromUrl(const OUString &url);
/// A property list such as a media descriptor: properties({{"Hidden", css::uno::Any(true)}}).
css::uno::Sequence<css::beans::PropertyValue>
properties(std::initializer_list<std::pair<const char *, css::uno::Any>> list);

class OfficeProcess;
class SessionWorker;
struct SessionConnection;

/// One connection to the office, made on the first connect() and shared by every document object of a suite.
/// Every UNO call goes through run(), which executes it on the session's own worker thread: a call that blocks
/// (the office shows a modal dialog, or hangs) never freezes the caller beyond its deadline.
class OfficeSession
{
public:
    explicit OfficeSession(const OfficeOptions &options);
    /// An office this session started without windows is terminated (and its processes killed if it does not go);
    /// the user's office is left running.
    ~OfficeSession();
    OfficeSession(const OfficeSession &) = delete;
    OfficeSession &operator=(const OfficeSession &) = delete;

    /// Starts the office or attaches to a running one. Does nothing while the connection holds; after the office
    /// went away it connects afresh. Throws quotaly::Error.
    void connect();
    bool headless() const;
    bool startedByUs() const;

    /// Runs fn on the session's worker thread and waits for it. timeoutMs 0 uses the options' call timeout, -1
    /// waits without deadline. While the GUI thread waits, paint and timer events go on; user input does not.
    /// Anything fn throws comes out as quotaly::Error with a text for the user. When the office went away or did
    /// not answer in time, the connection is dropped and the next connect() starts afresh.
    template <typename F> auto run(F &&fn, int timeoutMs = 0) -> decltype(fn())
    {
        using Result = decltype(fn());
        if constexpr (std::is_void_v<Result>) {
            runTask([&fn] { fn(); }, timeoutMs);
        } else {
            std::optional<Result> result;
            runTask([&fn, &result] { result.emplace(fn()); }, timeoutMs);
            return std::move(*result);
        }
    }

    // --- Worker thread only --------------------------------------------------------------------------------------
    /// The office's component context; throws when not connected.
    css::uno::Reference<css::uno::XComponentContext> context() const;
    /// The office's desktop; throws when not connected.
    css::uno::Reference<css::frame::XDesktop2> desktop() const;
    /// Loads a component (a file URL or private:factory/...) into a new frame, hidden when the session is headless.
    /// Throws quotaly::Error with the office's message when it cannot be loaded.
    css::uno::Reference<css::lang::XComponent> load(const OUString &url,
                                                    const css::uno::Sequence<css::beans::PropertyValue> &extra);
    /// Makes the component's window visible, activates it and brings it to the front; nothing when headless.
    void show(const css::uno::Reference<css::lang::XComponent> &component);

private:
    void runTask(const std::function<void()> &task, int timeoutMs);
    void connectOnWorker();
    void dropConnection();
    static void closeAll(const css::uno::Reference<css::frame::XDesktop2> &desktop);
    static void closeQuietly(const css::uno::Reference<css::lang::XComponent> &component);

    OfficeOptions m_options;
    std::unique_ptr<SessionConnection> m_connection;
    std::unique_ptr<OfficeProcess> m_process;
    std::unique_ptr<SessionWorker> m_worker;
    std::vector<css::uno::Reference<css::lang::XComponent>> m_loaded; ///< resident office: to close at the end
};

/// The word processor of a suite, talking through the shared session.
std::unique_ptr<WordProcessor> createLibreOfficeWordProcessor(std::shared_ptr<OfficeSession> session);

} // namespace quotaly::office::lo
