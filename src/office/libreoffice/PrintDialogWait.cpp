#include "PrintDialogWait.h"

#include <com/sun/star/awt/Toolkit.hpp>
#include <com/sun/star/awt/XExtendedToolkit.hpp>
#include <com/sun/star/awt/XTopWindowListener.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/view/PrintableState.hpp>
#include <com/sun/star/view/XPrintJobBroadcaster.hpp>
#include <com/sun/star/view/XPrintJobListener.hpp>
#include <cppuhelper/implbase2.hxx>
#include <rtl/ref.hxx>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quotaly::office::lo {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using namespace std::chrono_literals;

// The toolkit's top-window listeners are marked deprecated, yet they are the only way to see the dialog close.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// Follows the office's top-level windows (the print dialog is the first one to open after the request) and the
// document's print jobs.
class PrintWatch : public cppu::WeakImplHelper2<css::awt::XTopWindowListener, css::view::XPrintJobListener>
{
public:
    enum class Job
    {
        None,
        Running,
        Ended
    };

    void SAL_CALL windowOpened(const css::lang::EventObject &event) override
    {
        std::lock_guard lock(m_mutex);
        if (!m_dialog.is())
            m_dialog = event.Source;
        m_changed.notify_all();
    }
    void SAL_CALL windowClosed(const css::lang::EventObject &event) override { closed(event); }
    void SAL_CALL disposing(const css::lang::EventObject &event) override { closed(event); }
    void SAL_CALL windowClosing(const css::lang::EventObject &) override {}
    void SAL_CALL windowMinimized(const css::lang::EventObject &) override {}
    void SAL_CALL windowNormalized(const css::lang::EventObject &) override {}
    void SAL_CALL windowActivated(const css::lang::EventObject &) override {}
    void SAL_CALL windowDeactivated(const css::lang::EventObject &) override {}

    void SAL_CALL printJobEvent(const css::view::PrintJobEvent &event) override
    {
        std::lock_guard lock(m_mutex);
        m_job = event.State == css::view::PrintableState_JOB_STARTED ? Job::Running : Job::Ended;
        m_changed.notify_all();
    }

    /// Waits up to `limit` for the condition; returns whether it holds.
    template <typename Condition> bool waitFor(std::chrono::milliseconds limit, Condition condition)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return condition(*this); });
    }

    bool dialogOpened() const { return m_dialog.is(); }
    bool dialogClosed() const { return m_dialogClosed; }
    Job job() const { return m_job; }

private:
    void closed(const css::lang::EventObject &event)
    {
        std::lock_guard lock(m_mutex);
        if (m_dialog.is() && m_dialog == event.Source)
            m_dialogClosed = true;
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Reference<css::uno::XInterface> m_dialog;
    bool m_dialogClosed = false;
    Job m_job = Job::None;
};

// Waits without deadline, checking every half second that the office still answers (a call on a dead
// connection throws, which ends the wait with the session's message).
template <typename Condition>
void waitWhileOfficeAnswers(PrintWatch &watch, const Reference<css::frame::XModel> &document, Condition condition)
{
    while (!watch.waitFor(500ms, condition))
        document->getURL();
}

} // namespace

void waitForPrintDialog(const Reference<css::uno::XComponentContext> &context,
                        const Reference<css::frame::XModel> &document)
{
    const Reference<css::frame::XController> controller = document->getCurrentController();
    const Reference<css::frame::XFrame> frame = controller.is() ? controller->getFrame() : nullptr;
    if (!frame.is())
        throw Error(QStringLiteral("The document has no window to print from."));

    const rtl::Reference<PrintWatch> watch(new PrintWatch);
    const Reference<css::awt::XExtendedToolkit> toolkit(css::awt::Toolkit::create(context), UNO_QUERY_THROW);
    const Reference<css::view::XPrintJobBroadcaster> jobs(document, UNO_QUERY);
    const Reference<css::awt::XTopWindowListener> windowListener(watch.get());
    const Reference<css::view::XPrintJobListener> jobListener(watch.get());
    toolkit->addTopWindowListener(windowListener);
    if (jobs.is())
        jobs->addPrintJobListener(jobListener);
    const auto stopWatching = [&] {
        try {
            toolkit->removeTopWindowListener(windowListener);
            if (jobs.is())
                jobs->removePrintJobListener(jobListener);
        } catch (const css::uno::RuntimeException &) {
        }
    };

    try {
        // The dispatch returns at once; the dialog shows a moment later.
        css::frame::DispatchHelper::create(context)->executeDispatch(
            Reference<css::frame::XDispatchProvider>(frame, UNO_QUERY_THROW), OUString(".uno:Print"), OUString(), 0,
            css::uno::Sequence<css::beans::PropertyValue>());
        if (!watch->waitFor(30s,
                            [](const PrintWatch &w) { return w.dialogOpened() || w.job() != PrintWatch::Job::None; }))
            throw Error(QStringLiteral("LibreOffice did not show its print dialog."));
        waitWhileOfficeAnswers(*watch, document, [](const PrintWatch &w) {
            return w.dialogClosed() || w.job() == PrintWatch::Job::Ended;
        });
        // Printing starts as the dialog closes; a cancelled dialog starts nothing.
        if (watch->waitFor(2s, [](const PrintWatch &w) { return w.job() != PrintWatch::Job::None; }))
            waitWhileOfficeAnswers(*watch, document,
                                   [](const PrintWatch &w) { return w.job() == PrintWatch::Job::Ended; });
    } catch (...) {
        stopWatching();
        throw;
    }
    stopWatching();
}

} // namespace quotaly::office::lo
