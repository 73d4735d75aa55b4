#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `invoice (LOG | --words ... | --percent ...) --client NAME --out FILE [...]`: prices a job and fills an invoice
/// template with it through a headless LibreOffice, then saves the invoice. `invoice --batch JOBS.csv` does so for
/// every line of the file with one office.
int runInvoice(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kInvoiceCommand{"invoice", "(LOG | --words ... | --percent ...) --client NAME --out FILE",
                                         "price a job and write its invoice (.pdf, .odt, .docx, .rtf); --batch JOBS.csv "
                                         "for many",
                                         &runInvoice};

} // namespace quotaly::cli
