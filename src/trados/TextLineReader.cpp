#include "TextLineReader.h"

#include "dataset/Error.h"
#include "dataset/Windows1252.h"

#include <algorithm>
#include <cstring>

#include <QDir>
#include <QFile>

namespace quotaly {

namespace {

constexpr qsizetype kChunk = 1 << 20;

// A small file is read in one piece of its own size: a whole megabyte, zeroed for every file, made reading the many
// small files of a fuzzing run or an import slow.
qsizetype chunkFor(const QFile &file)
{
    const qint64 left = file.size() - file.pos();
    return left < 0 || left >= kChunk ? kChunk : std::max<qsizetype>(qsizetype(left) + 1, 4096);
}

/// Checks UTF-8 piece by piece, so a multi-byte sequence may straddle two pieces. Overlong forms, surrogates and
/// code points above U+10FFFF are invalid, as they are for the decoder.
class Utf8Validator
{
public:
    bool feed(const char *data, qsizetype size)
    {
        const auto *p = reinterpret_cast<const unsigned char *>(data);
        const auto *end = p + size;
        while (p < end && m_valid) {
            if (m_pending == 0) {
                // Plain ASCII runs are the common case; skip them eight bytes at a time.
                while (end - p >= 8) {
                    quint64 word;
                    std::memcpy(&word, p, 8);
                    if (word & 0x8080808080808080ULL)
                        break;
                    p += 8;
                }
                if (p == end)
                    break;
                lead(*p++);
            } else {
                const unsigned char b = *p++;
                m_valid = b >= m_low && b <= m_high;
                m_low = 0x80;
                m_high = 0xBF;
                --m_pending;
            }
        }
        return m_valid;
    }

    bool finish() const { return m_valid && m_pending == 0; }

private:
    void lead(unsigned char b)
    {
        m_low = 0x80;
        m_high = 0xBF;
        if (b < 0x80) {
            m_pending = 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            m_pending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_pending = 2;
            if (b == 0xE0)
                m_low = 0xA0; // overlong
            else if (b == 0xED)
                m_high = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_pending = 3;
            if (b == 0xF0)
                m_low = 0x90; // overlong
            else if (b == 0xF4)
                m_high = 0x8F; // above U+10FFFF
        } else {
            m_valid = false;
        }
    }

    int m_pending = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
    bool m_valid = true;
};

} // namespace

TextLineReader::TextLineReader(QFile &file)
    : m_file(file), m_utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless)
{
    detectEncoding();
}

void TextLineReader::detectEncoding()
{
    const QByteArray head = m_file.peek(3);
    qint64 bomSize = 0;
    if (head.startsWith("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8;
        bomSize = 3;
    } else if (head.startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16LE;
        bomSize = 2;
    } else if (head.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16BE;
        bomSize = 2;
    } else {
        // No mark: one pass over the file decides between UTF-8 and the Windows code page.
        Utf8Validator validator;
        const qsizetype chunk = chunkFor(m_file);
        m_buffer.resize(chunk);
        for (;;) {
            const qint64 got = m_file.read(m_buffer.data(), chunk);
            if (got < 0)
                failRead();
            if (got == 0 || !validator.feed(m_buffer.constData(), got))
                break;
        }
        m_encoding = validator.finish() ? Encoding::Utf8 : Encoding::Windows1252;
        m_buffer.clear();
    }
    if (!m_file.seek(bomSize))
        failRead();
    if (m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE) {
        m_utf16 =
            QStringDecoder(m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::Stateless);
    }
}

void TextLineReader::failRead() const
{
    throw Error(
        QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
}

bool TextLineReader::readChunk()
{
    const qsizetype old = m_buffer.size();
    const qsizetype chunk = chunkFor(m_file);
    m_buffer.resize(old + chunk);
    const qint64 got = m_file.read(m_buffer.data() + old, chunk);
    if (got < 0)
        failRead();
    m_buffer.resize(old + qsizetype(got));
    m_atEnd = got == 0;
    return got > 0;
}

qsizetype TextLineReader::findLineEnd(qsizetype from) const
{
    const char *data = m_buffer.constData();
    const qsizetype size = m_buffer.size();
    switch (m_encoding) {
    case Encoding::Utf8:
    case Encoding::Windows1252: {
        const void *hit = from < size ? std::memchr(data + from, '\n', size_t(size - from)) : nullptr;
        return hit ? static_cast<const char *>(hit) - data : -1;
    }
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const int low = m_encoding == Encoding::Utf16LE ? 0 : 1;
        for (qsizetype i = from; i + 1 < size; i += 2) {
            if (data[i + low] == '\n' && data[i + 1 - low] == '\0')
                return i;
        }
        return -1;
    }
    }
    return -1;
}

void TextLineReader::decode(const char *bytes, qsizetype size, QString &line)
{
    switch (m_encoding) {
    case Encoding::Utf8:
        if (size > 0 && bytes[size - 1] == '\r')
            --size;
        // Decoded into the storage `line` already has: a new string per line would cost more than the decoding.
        line.resize(size);
        line.truncate(m_utf8.appendToBuffer(line.data(), QByteArrayView(bytes, size)) - line.constData());
        break;
    case Encoding::Windows1252:
        if (size > 0 && bytes[size - 1] == '\r')
            --size;
        line = decodeWindows1252(QByteArray::fromRawData(bytes, size));
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const int low = m_encoding == Encoding::Utf16LE ? 0 : 1;
        if (size >= 2 && size % 2 == 0 && bytes[size - 2 + low] == '\r' && bytes[size - 1 - low] == '\0')
            size -= 2;
        line = m_utf16.decode(QByteArrayView(bytes, size));
        break;
    }
    }
}

bool TextLineReader::readLine(QString &line)
{
    const qsizetype unit = m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE ? 2 : 1;
    for (;;) {
        const qsizetype end = findLineEnd(m_scan);
        if (end >= 0) {
            decode(m_buffer.constData() + m_pos, end - m_pos, line);
            m_pos = m_scan = end + unit;
            return true;
        }
        if (m_atEnd) {
            if (m_pos < m_buffer.size()) {
                decode(m_buffer.constData() + m_pos, m_buffer.size() - m_pos, line);
                m_pos = m_scan = m_buffer.size();
                return true;
            }
            line.clear();
            return false;
        }
        // The rest of the buffer holds no line end: keep the partial line and read on. Lines start on a whole
        // code unit, so the search resumes on one too.
        m_buffer.remove(0, m_pos);
        m_scan = (m_buffer.size() / unit) * unit;
        m_pos = 0;
        readChunk();
    }
}

} // namespace quotaly
