#pragma once

#include "OfficeSession.h"

#include <functional>

#include <QString>

namespace quotaly::office::lo {

/// Saves a copy of a document so that fileName is never left half written: store (run on the session's worker)
/// writes the copy to the URL of a new temporary file in the same folder, which then replaces fileName. When
/// anything fails the temporary file is removed, an older fileName stays as it was, and quotaly::Error says why.
void storeCopy(OfficeSession &session, const QString &fileName, const std::function<void(const OUString &url)> &store);

} // namespace quotaly::office::lo
