#pragma once

#include <QByteArray>
#include <QString>

namespace quotaly {

/// Decodes Windows-1252 bytes (the usual "ANSI" code page of files written on Windows). The five bytes the code
/// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number, so
/// every byte sequence decodes and encodes back unchanged.
QString decodeWindows1252(const QByteArray &bytes);

/// Encodes text as Windows-1252. Characters the code page cannot hold become "?"; `lossless` (when given) tells
/// whether every character could be written.
QByteArray encodeWindows1252(const QString &text, bool *lossless = nullptr);

} // namespace quotaly
