#include "TdsWordExport.h"

#include "ReportRichText.h"

#include <QFileInfo>

namespace quotaly {

using office::Outcome;

office::PasteData reportPasteData(const ReportTable &table)
{
    return {reportRtfTable(table), reportHtmlTable(table), reportPlainText(table, {})};
}

TdsWordExport::TdsWordExport(office::WordProcessor &wordProcessor) : m_word(wordProcessor) {}

Outcome TdsWordExport::ExportGrid(const ReportGridContent &grid, const QString &fileName, const QString &statTotal,
                                  const QString &statTotalCaption, const QString &units, const QString &unitsCaption,
                                  const QString &baseRate, const QString &baseRateCaption, bool newFile)
{
    const ReportTable table = grid.hasSelection() ? grid.selectedCells : grid.allCells;
    if (table.titles.isEmpty())
        return Outcome::failed(QStringLiteral("The report has no columns to export."));

    office::ConnectionScope connection(m_word);
    try {
        m_word.connect();
        m_word.setVisible(true);
    } catch (const std::exception &e) {
        return Outcome::failed(office::failureText(e));
    }

    office::Document doc;
    if (newFile) {
        doc = m_word.addDocument();
    } else {
        QString file = fileName;
        if (file.isEmpty() && chooseFile)
            file = chooseFile();
        if (file.isEmpty())
            return Outcome::cancelled();
        file = QFileInfo(file).absoluteFilePath(); // the office runs in a folder of its own
        doc = findOpenDocument(file);
        if (doc.isNull()) {
            // Never reverted: a copy of the file that is open under another spelling keeps its unsaved changes.
            office::OpenDocumentArgs args;
            args.fileName = file;
            args.revert = false;
            try {
                doc = m_word.openDocument(args);
            } catch (const std::exception &e) {
                return Outcome::failed(office::failureText(e));
            }
        }
    }

    try {
        m_word.insertParagraphBefore(m_word.range(doc, 0, 0));
        m_word.paste(m_word.range(doc, 1, 1), reportPasteData(table));
        try {
            const office::Table pasted = m_word.table(doc, 1);
            m_word.centreRowVertically(pasted, 1);
            m_word.autoFitColumns(pasted);
        } catch (const std::exception &) {
            // The table keeps the layout it was pasted with.
        }
        if (grid.clearSelection)
            grid.clearSelection();

        // Each text goes before everything already there, so the header is built from its end.
        insertAtStart(doc, QStringLiteral(" "));
        insertAtStart(doc, baseRate);
        insertAtStart(doc, baseRateCaption);
        m_word.insertParagraphBefore(m_word.range(doc, 0, 0));
        insertAtStart(doc, units);
        insertAtStart(doc, unitsCaption);
        m_word.insertParagraphBefore(m_word.range(doc, 0, 0));
        insertAtStart(doc, statTotal);
        insertAtStart(doc, statTotalCaption);
    } catch (const std::exception &e) {
        return Outcome::failed(office::failureText(e));
    }
    return Outcome::done();
}

office::Document TdsWordExport::findOpenDocument(const QString &fileName)
{
    const int count = m_word.documentCount();
    for (int i = 1; i <= count; ++i) {
        const office::Document doc = m_word.document(i);
        if (office::sameFile(m_word.fullName(doc), fileName))
            return doc;
    }
    return {};
}

void TdsWordExport::insertAtStart(office::Document document, const QString &text)
{
    m_word.insertBefore(m_word.range(document, 0, 0), text);
}

} // namespace quotaly
