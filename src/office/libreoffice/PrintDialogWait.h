#pragma once

#include "OfficeSession.h"

#include <com/sun/star/frame/XModel.hpp>

namespace quotaly::office::lo {

/// Opens Writer's print dialog for the document and returns once the user has closed it, and the job they
/// started, if any, has been handed to the printer. Needs the office's windows. Worker thread only.
void waitForPrintDialog(const css::uno::Reference<css::uno::XComponentContext> &context,
                        const css::uno::Reference<css::frame::XModel> &document);

} // namespace quotaly::office::lo
