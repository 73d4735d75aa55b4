#pragma once

#include <chrono>
#include <optional>

#include <QRegularExpression>
#include <QString>

namespace quotaly {

/// The table a search walks: rows in the order the user sees them, columns 0 Property, 1 Value, 2 translation.
/// The language manager's grid implements it; tests use a plain list.
class SearchTable
{
public:
    virtual ~SearchTable() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const { return 3; }
    /// The current row; -1 when the table shows no row.
    virtual int currentRow() const = 0;
    virtual void setCurrentRow(int row) = 0;
    /// A cell's text as the user edits it (line breaks as CR LF).
    virtual QString cellText(int row, int column) const = 0;
    virtual bool isColumnReadOnly(int column) const = 0;
    /// Stores edited text in a cell of an editable column (line breaks as CR LF); throws Error when it cannot.
    virtual void setCellText(int row, int column, const QString &text) = 0;
    /// Shows a found match: makes the cell current and selects characters [start, end) of its text.
    virtual void showMatch(int row, int column, int start, int end) = 0;
};

/// The questions and messages of a search (all titled "Find and Replace").
class SearchPrompts
{
public:
    virtual ~SearchPrompts() = default;
    /// A Yes/No question; true for Yes.
    virtual bool ask(const QString &text) = 0;
    virtual void inform(const QString &text) = 0;
};

/// A search pattern in the find dialog's dialect, translated for QRegularExpression.
///
/// The dialect: any character stands for itself except "." (any character but CR, LF, U+2028, U+2029), "[...]",
/// "*", "+", "?", "{min}", "{min,}", "{min,max}", "|", "(...)", "^", "$" and "\" escapes: "\a \b \f \n \r \t \v"
/// are the control characters 7, 8, 12, 10, 13, 9, 11 (so "\b" is a backspace, not a word boundary);
/// "\x", "\u", "\X", "\U" followed by one to four hexadecimal digits are a code point (two of them naming a
/// UTF-16 surrogate pair are one character; without a digit the letter stands for itself); "\p{..}", "\pL",
/// "\P{..}" are property classes; any other escaped character stands for itself. "$" is the end of the text.
struct SearchPattern
{
    /// The pattern for QRegularExpression; empty when `error` is set.
    QString pcre;
    /// Empty, or the whole message: "Error in regular expression: <expression>\r" followed by one of
    /// "Unexpected end of pattern.", "Character class not closed, ']' is missing.", "Unbalanced group
    /// expression, ')' is missing.", "A character property is invalid", "Invalid repeation range.",
    /// "Repeation range not closed, '}' is missing." or "Expression is empty.".
    QString error;
    /// The expression is made only of "^" and "$": it matches an empty cell (with an empty match).
    bool anchorsOnly = false;
};

/// Translates an expression of the dialect above (case-sensitivity is an option of the search, not of this).
SearchPattern translateSearchPattern(const QString &expression);

/// Find and replace over a SearchTable, one step per call, with the questions at the ends of the table.
///
/// A step starts after the current cell (a cell that still has matches is searched again from after the last
/// match), walks cells row by row (down: left to right; up: right to left) and stops at the first accepted match.
/// Within a cell matches go left to right and never overlap; empty matches are taken only in an empty cell and
/// only for an anchors-only expression, so a step always moves strictly forward. In replace mode only editable
/// columns are searched. Replace replaces the match the last step found (whatever the expression or the case of
/// its letters), if that cell still holds the same text, and the search goes on after the replacement text.
/// The replacement count covers the whole run, a wrap included. After the question at the end, the walk goes on
/// from the other end up to the cell where the run began, so no cell is searched twice in a run.
class FindReplace
{
public:
    enum class Direction : quint8
    {
        All = 0,
        Up = 1,
        Down = 2,
    };

    FindReplace(SearchTable &table, SearchPrompts &prompts);

    /// The options reset: takes the texts and options and restarts the counting (and, for All, the walk).
    void setOptions(const QString &findWhat, const QString &replaceWith, bool wholeWords, bool caseSensitive,
                    Direction direction);

    /// 0 find, 1 replace. Replace sets it to 1; only the caller sets it back.
    quint8 Mode = 0;

    /// One "Find next": a step, then the end question or message when the walk reached the end.
    /// Does nothing while "Find what" is empty. Throws Error for an expression that does not compile, or for a
    /// search that took longer than searchBudget (the table then stays at the cell where it stopped).
    void Search();
    /// Replaces the match found last (if it is still there), then one step as Search().
    void Replace();
    /// Replace until the table's end.
    void ReplaceAll();

    /// The walk has run past the table's last row (first row, going up).
    bool AtEnd() const;

    int foundCount() const { return m_foundCount; }
    int replaceCount() const { return m_replaceCount; }
    int currentColumn() const { return m_curCol; }
    bool hasFindText() const { return !m_findWhat.isEmpty(); }
    /// A search step that takes longer than this stops with a message.
    std::chrono::milliseconds searchBudget{3000};

private:
    struct Found
    {
        int row = -1;
        int column = -1;
        int start = 0;
        int end = 0;
        QString cellText;
    };
    struct Cell
    {
        int row = -1;
        int column = -1;
        bool operator==(const Cell &) const = default;
    };

    void compile();
    /// One search step: true when it found and showed a match.
    bool step();
    bool followTable();
    bool nextCell();
    void startAt(int row, int column);
    bool searchCell();
    void stopWalk();
    void replaceFound();
    void wrap();
    QString replacementMessage(bool question) const;

    SearchTable &m_table;
    SearchPrompts &m_prompts;
    QString m_findWhat;
    QString m_replaceWith;
    bool m_wholeWords = false;
    bool m_caseSensitive = false;
    Direction m_direction = Direction::Down;
    bool m_forward = true;
    bool m_newSearch = true;
    bool m_wrapped = false;
    int m_position = -1;     ///< where the next match in the current cell may start; -1 when the cell is done
    bool m_entering = false; ///< the walk has just come to the current cell
    int m_foundCount = 0;
    int m_replaceCount = 0;
    int m_row = 0;
    int m_curCol = 0;
    bool m_eof = false;
    bool m_bof = false;
    int m_walkRow = -1;           ///< the row the walk left the table on; another current row starts afresh
    std::optional<Cell> m_origin; ///< the first cell of this run; a wrapped walk ends when it comes back to it
    std::optional<Found> m_found;
    bool m_compiled = false;
    QRegularExpression m_regex;
    SearchPattern m_pattern;
};

} // namespace quotaly
