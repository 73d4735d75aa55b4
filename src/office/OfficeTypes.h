#pragma once

#include <exception>
#include <utility>

#include <QString>

namespace quotaly::office {

/// Refers to an object the office holds for the current connection (a document, a worksheet, a range ...).
/// An implementation hands out ids of its own choosing; 0 is no object. Handles become invalid when the
/// connection ends.
template <typename Tag> struct Handle
{
    int id = 0;

    bool isNull() const { return id == 0; }
    friend bool operator==(const Handle &, const Handle &) = default;
};

/// How one conversation with the office ended.
struct Outcome
{
    enum class Status
    {
        Done,
        Cancelled, ///< the user cancelled a dialog; nothing was changed
        Failed     ///< message says why; what was done before the failure stays
    };

    Status status = Status::Done;
    QString message;

    static Outcome done() { return {}; }
    static Outcome cancelled() { return {Status::Cancelled, {}}; }
    static Outcome failed(const QString &message) { return {Status::Failed, message}; }
};

/// The user-facing text of a failure: Error::text(), else what().
QString failureText(const std::exception &failure);

/// True when both absolute paths name the same existing file, however each is written ("..", symbolic links).
/// Paths of files that do not exist never match, nor do relative ones (an office names a document it has never
/// saved by a bare title such as "Untitled 1").
bool sameFile(const QString &a, const QString &b);

/// Why a file cannot be handed to the word processor as an invoice template, in one sentence naming it; empty
/// when it can. Refused: a missing or unreadable file, a folder, an empty file, one above 64 MB, binary data that
/// is neither a zipped nor a compound document (.docx, .odt, .doc), and XML nested deeper than any document is.
QString templateFileProblem(const QString &path);

/// Ends an office connection when it goes out of scope, also when a failure is on its way out. Failures of
/// the disconnect itself are dropped: the conversation is over either way.
template <typename Office> class ConnectionScope
{
public:
    explicit ConnectionScope(Office &office) : m_office(office) {}
    ~ConnectionScope()
    {
        try {
            m_office.disconnect();
        } catch (...) {
        }
    }
    ConnectionScope(const ConnectionScope &) = delete;
    ConnectionScope &operator=(const ConnectionScope &) = delete;

private:
    Office &m_office;
};

} // namespace quotaly::office
