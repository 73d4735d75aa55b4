#include "lang/FindReplace.h"

#include "dataset/Error.h"

#include <QElapsedTimer>

namespace quotaly {

namespace {

/// How many cells the walk searches between two looks at the clock: few while the cells take long (an expression
/// can backtrack for tens of milliseconds in one cell), up to a few hundred while they are quick.
constexpr int kFewestCellsPerClockCheck = 8;
constexpr int kMostCellsPerClockCheck = 256;
constexpr qint64 kQuickStretchMs = 20;

QString tooLongMessage(std::chrono::milliseconds budget)
{
    const double seconds = double(budget.count()) / 1000;
    return QStringLiteral("The search was stopped after %1 %2: the expression takes too long on this table. "
                          "Try a simpler one.")
        .arg(QString::number(seconds, 'g', 3), seconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds"));
}

bool isWholeWord(const QString &text, int start, int end)
{
    return (start == 0 || text.at(start - 1) == u' ') && (end == text.size() || text.at(end) == u' ');
}

} // namespace

FindReplace::FindReplace(SearchTable &table, SearchPrompts &prompts) : m_table(table), m_prompts(prompts) {}

void FindReplace::setOptions(const QString &findWhat, const QString &replaceWith, bool wholeWords, bool caseSensitive,
                             Direction direction)
{
    if (findWhat != m_findWhat || caseSensitive != m_caseSensitive)
        m_compiled = false;
    m_findWhat = findWhat;
    m_replaceWith = replaceWith;
    m_wholeWords = wholeWords;
    m_caseSensitive = caseSensitive;
    m_direction = direction;
    m_forward = direction != Direction::Up;
    m_newSearch = true;
    m_wrapped = false;
    m_position = -1;
    m_entering = false;
    m_foundCount = 0;
    m_replaceCount = 0;
    m_origin.reset();
    // The shown match is no longer selected.
    m_found.reset();
}

bool FindReplace::AtEnd() const
{
    return m_forward ? m_eof : m_bof;
}

void FindReplace::compile()
{
    if (m_compiled)
        return;
    m_pattern = translateSearchPattern(m_findWhat);
    if (!m_pattern.error.isEmpty())
        throw Error(m_pattern.error);
    m_regex = QRegularExpression(m_pattern.pcre, m_caseSensitive ? QRegularExpression::NoPatternOption
                                                                 : QRegularExpression::CaseInsensitiveOption);
    m_regex.optimize();
    m_compiled = true;
}

void FindReplace::Search()
{
    if (m_findWhat.isEmpty())
        return;
    compile();
    if (m_direction == Direction::All) {
        if (m_newSearch)
            startAt(0, 0);
        step();
        if (AtEnd())
            m_prompts.inform(m_foundCount > 0
                                 ? QStringLiteral("Language Manager has finished searching the document.")
                                 : QStringLiteral("Language Manager has finished searching the document. The "
                                                  "search item was not found."));
        return;
    }
    step();
    if (!AtEnd())
        return;
    const QString found = m_foundCount > 0 ? QString() : QStringLiteral(" The search item was not found.");
    if (m_wrapped) {
        m_prompts.inform(QStringLiteral("Language Manager has finished searching the document.") + found);
        return;
    }
    const QString question = m_forward
                                 ? QStringLiteral("Language Manager has reached the end of the document.") + found +
                                       QStringLiteral("\r\nDo you want to continue searching at the beginning?")
                                 : QStringLiteral("Language Manager has reached the beginning of the document.") +
                                       found + QStringLiteral("\r\nDo you want to continue searching at the end?");
    if (!m_prompts.ask(question))
        return;
    wrap();
    Search();
}

void FindReplace::Replace()
{
    if (m_findWhat.isEmpty())
        return;
    Mode = 1;
    compile();
    if (m_direction == Direction::All && m_newSearch)
        startAt(0, 0);
    replaceFound();
    step();
    if (!AtEnd())
        return;
    if (m_wrapped || m_direction == Direction::All) {
        m_prompts.inform(replacementMessage(false));
        return;
    }
    if (!m_prompts.ask(replacementMessage(true)))
        return;
    wrap();
    m_foundCount = 0;
    Replace();
}

void FindReplace::ReplaceAll()
{
    if (m_findWhat.isEmpty())
        return;
    // At the end already, the first Replace asks whether to go on from the other end (or says it is done).
    do
        Replace();
    while (!AtEnd());
}

QString FindReplace::replacementMessage(bool question) const
{
    if (!question)
        return QStringLiteral("Language Manager has completed its search of the document and has made %1 "
                              "replacements.")
            .arg(m_replaceCount);
    if (!m_forward)
        return QStringLiteral("Language Manager has reached the beginning of the document. %1 replacements were "
                              "made.\r\nDo you want to continue searching at the end?")
            .arg(m_replaceCount);
    QString text = QStringLiteral("Language Manager has reached the end of the document.  %1 replacements were made.")
                       .arg(m_replaceCount);
    if (m_foundCount > 0)
        text += QStringLiteral("\r\nDo you want to continue searching at the beginning?");
    return text;
}

void FindReplace::startAt(int row, int column)
{
    m_row = row;
    m_curCol = column;
    m_position = 0;
    m_entering = true;
    m_eof = false;
    m_bof = false;
    stopWalk();
}

void FindReplace::wrap()
{
    m_wrapped = true;
    const int rows = m_table.rowCount();
    if (rows > 0)
        m_forward ? startAt(0, 0) : startAt(rows - 1, m_table.columnCount() - 1);
}

void FindReplace::stopWalk()
{
    if (m_table.rowCount() > 0 && m_table.currentRow() != m_row)
        m_table.setCurrentRow(m_row);
    m_walkRow = m_row;
}

bool FindReplace::followTable()
{
    const int rows = m_table.rowCount();
    if (rows == 0) {
        m_eof = m_bof = true;
        return false;
    }
    const int current = m_table.currentRow();
    if (current == m_walkRow && current >= 0 && current < rows)
        return true;
    // The user went to another row: the walk starts afresh after that row's current cell.
    m_eof = m_bof = false;
    m_wrapped = false;
    m_origin.reset();
    m_entering = false;
    m_position = -1;
    m_curCol = std::clamp(m_curCol, 0, m_table.columnCount() - 1);
    m_row = current;
    if (current < 0 || current >= rows)
        m_forward ? startAt(0, 0) : startAt(rows - 1, m_table.columnCount() - 1);
    m_walkRow = m_row;
    return true;
}

bool FindReplace::nextCell()
{
    const int columns = m_table.columnCount();
    const int column = m_curCol + (m_forward ? 1 : -1);
    if (column >= 0 && column < columns) {
        m_curCol = column;
    } else {
        const int row = m_row + (m_forward ? 1 : -1);
        if (row < 0 || row >= m_table.rowCount()) {
            (m_forward ? m_eof : m_bof) = true;
            return false;
        }
        m_row = row;
        m_curCol = m_forward ? 0 : columns - 1;
    }
    m_position = 0;
    m_entering = true;
    return true;
}

bool FindReplace::step()
{
    m_newSearch = false;
    if (!followTable())
        return false;
    QElapsedTimer clock;
    clock.start();
    qint64 lastLook = 0;
    int cellsPerLook = kFewestCellsPerClockCheck;
    int nextLook = cellsPerLook;
    for (int cells = 1;; ++cells) {
        if (AtEnd() || (m_position < 0 && !nextCell()))
            break;
        if (m_entering) {
            m_entering = false;
            if (m_wrapped && m_origin == Cell{m_row, m_curCol}) {
                (m_forward ? m_eof : m_bof) = true;
                break;
            }
            if (!m_origin)
                m_origin = Cell{m_row, m_curCol};
        }
        if (searchCell())
            return true;
        m_position = -1;
        if (cells == nextLook) {
            const qint64 now = clock.elapsed();
            if (std::chrono::milliseconds(now) > searchBudget) {
                stopWalk();
                throw Error(tooLongMessage(searchBudget));
            }
            cellsPerLook = now - lastLook < kQuickStretchMs ? std::min(cellsPerLook * 2, kMostCellsPerClockCheck)
                                                            : std::max(cellsPerLook / 2, kFewestCellsPerClockCheck);
            lastLook = now;
            nextLook = cells + cellsPerLook;
        }
    }
    stopWalk();
    return false;
}

bool FindReplace::searchCell()
{
    if (Mode == 1 && m_table.isColumnReadOnly(m_curCol))
        return false;
    const QString text = m_table.cellText(m_row, m_curCol);
    int start = -1;
    int end = -1;
    if (text.isEmpty()) {
        if (!m_pattern.anchorsOnly)
            return false;
        start = end = 0;
    } else if (!m_pattern.anchorsOnly) {
        auto matches = m_regex.globalMatch(text, std::min<qsizetype>(m_position, text.size()));
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            const int from = int(match.capturedStart());
            const int to = int(match.capturedEnd());
            if (from < to && (!m_wholeWords || isWholeWord(text, from, to))) {
                start = from;
                end = to;
                break;
            }
        }
    }
    if (start < 0)
        return false;
    m_position = end < text.size() ? end : -1;
    ++m_foundCount;
    m_found = Found{m_row, m_curCol, start, end, text};
    stopWalk();
    m_table.showMatch(m_row, m_curCol, start, end);
    return true;
}

void FindReplace::replaceFound()
{
    if (!m_found || m_found->row != m_table.currentRow() || m_table.isColumnReadOnly(m_found->column))
        return;
    const Found found = *m_found;
    if (m_table.cellText(found.row, found.column) != found.cellText)
        return;
    QString text = found.cellText;
    text.replace(found.start, found.end - found.start, m_replaceWith);
    if (text != found.cellText)
        m_table.setCellText(found.row, found.column, text);
    m_found.reset();
    ++m_replaceCount;
    // The walk goes on after the inserted text, never inside it.
    if (m_row == found.row && m_curCol == found.column && !AtEnd()) {
        const int next = found.start + int(m_replaceWith.size());
        m_position = next < text.size() ? next : -1;
    }
}

} // namespace quotaly
