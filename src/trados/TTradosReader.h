#pragma once

#include <array>
#include <functional>

#include <QString>

namespace quotaly {

/// Reads a CAT tool's analysis log: per table row the segments, words, percent and placeables.
///
/// Rows 0 to 8 are the nine lines after a table heading: row 0 the first category line (context matches), rows
/// 1 to 7 the priced categories (repetitions, 100%, 95-99%, 85-94%, 75-84%, 50-74%, no match), row 8 the total.
/// The file form follows the extension: ".log" (the job's table), ".txt" (all tables summed, percentages
/// averaged), ".csv" (semicolon-separated export). Messages meant for the user go to the sink.
class TTradosReader
{
public:
    using Rows = std::array<double, 9>;
    using MessageSink = std::function<void(const QString &)>;

    enum Kind : quint8
    {
        Segments = 0,
        Words = 1,
        Percent = 2,
        Placeables = 3
    };

    explicit TTradosReader(MessageSink sink = {});

    /// The log file to read; set before the first request.
    QString FileName;

    /// True once the file has been read. Stays false when the file does not exist or the read failed.
    bool Loaded() const { return m_loaded; }

    /// True when the read found an analysis table. A file without one reads as zeros, and the messages its lines
    /// would have caused are not sent.
    bool TableFound() const { return m_tableFound; }
    /// What the user is told about a file without an analysis table.
    static QString noTableMessage(const QString &fileName);

    /// Copies rows 0 to 8 of one array into `rows`, reading the file at the first call. Returns false and leaves
    /// `rows` untouched when the file does not exist or the kind is above 3. Throws Error when the file cannot be
    /// read or holds nothing to average; nothing should be stored then.
    bool GetResults(quint8 kind, Rows &rows);

    /// Reads the file according to its extension (see the class comment) and sets Loaded().
    void Load();

    const Rows &segments() const { return m_segments; }
    const Rows &words() const { return m_words; }
    const Rows &percent() const { return m_percent; }
    const Rows &placeables() const { return m_placeables; }

    /// At most this many messages reach the sink per read; one more then says how many were left out.
    static constexpr int kMessageLimit = 20;

private:
    void tell(const QString &text);
    void tellLeftOut();

    MessageSink m_sink;
    int m_told = 0;
    int m_leftOut = 0;
    bool m_loaded = false;
    bool m_tableFound = false;
    Rows m_segments{};
    Rows m_words{};
    Rows m_percent{};
    Rows m_placeables{};
};

} // namespace quotaly
