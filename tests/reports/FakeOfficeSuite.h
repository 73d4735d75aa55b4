#pragma once

// An office suite for window tests: recording word processors and spreadsheets that a test scripts before each
// conversation, with what each conversation recorded kept after the window has let go of it.
#include "office/OfficeSuite.h"
#include "common/RecordingSpreadsheet.h"
#include "common/RecordingWordProcessor.h"

#include <functional>
#include <map>

#include <QApplication>
#include <QCursor>

namespace quotaly::test {

inline bool busyCursorShown()
{
    const QCursor *cursor = QApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

class FakeOfficeSuite : public office::OfficeSuite
{
public:
    struct WordRun
    {
        QStringList log;
        QString text; ///< the document created or opened last
        bool documentOpen = false;
        QList<office::PasteData> pastes;
        bool busyCursor = false; ///< the wait cursor showed when the window asked for the word processor
    };
    struct SheetRun
    {
        QStringList log;
        std::map<std::pair<int, int>, office::CellValue> cells; ///< (row, column) of the last worksheet
        bool busyCursor = false;
    };

    std::function<void(office::RecordingWordProcessor &)> scriptWord;
    std::function<void(office::RecordingSpreadsheet &)> scriptSheet;
    QList<WordRun> wordRuns;
    QList<SheetRun> sheetRuns;

    std::unique_ptr<office::WordProcessor> wordProcessor() override
    {
        wordRuns.append(WordRun{});
        wordRuns.last().busyCursor = busyCursorShown();
        auto word = std::make_unique<KeptWord>(*this, int(wordRuns.size()) - 1);
        if (scriptWord)
            scriptWord(*word);
        return word;
    }

    std::unique_ptr<office::Spreadsheet> spreadsheet() override
    {
        sheetRuns.append(SheetRun{});
        sheetRuns.last().busyCursor = busyCursorShown();
        auto sheet = std::make_unique<KeptSheet>(*this, int(sheetRuns.size()) - 1);
        if (scriptSheet)
            scriptSheet(*sheet);
        return sheet;
    }

private:
    class KeptWord : public office::RecordingWordProcessor
    {
    public:
        KeptWord(FakeOfficeSuite &suite, int run) : m_suite(suite), m_run(run) {}
        ~KeptWord() override
        {
            WordRun &run = m_suite.wordRuns[m_run];
            run.log = log();
            run.text = text(lastDocument());
            run.documentOpen = isOpen(lastDocument());
            run.pastes = pastes();
        }

    private:
        FakeOfficeSuite &m_suite;
        int m_run;
    };

    class KeptSheet : public office::RecordingSpreadsheet
    {
    public:
        KeptSheet(FakeOfficeSuite &suite, int run) : m_suite(suite), m_run(run) {}
        ~KeptSheet() override
        {
            SheetRun &run = m_suite.sheetRuns[m_run];
            run.log = log();
            for (int row = 1; row <= 40; ++row) {
                for (int column = 1; column <= 10; ++column) {
                    if (const auto value = cell(lastWorksheet(), row, column))
                        run.cells[{row, column}] = *value;
                }
            }
        }

    private:
        FakeOfficeSuite &m_suite;
        int m_run;
    };
};

} // namespace quotaly::test
