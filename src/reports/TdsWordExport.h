#pragma once

#include "ReportGridContent.h"
#include "office/WordProcessor.h"

#include <functional>

#include <QString>

namespace quotaly {

/// The report as it is pasted into a document: its RTF table, with the HTML table and the TAB-separated text
/// (without header block) as alternatives.
office::PasteData reportPasteData(const ReportTable &table);

/// Puts the report at the top of a new or an existing document in the word processor: three header lines
/// with the total, the unit and the base rate, an empty line, then the report as a table (the grid's selection,
/// or everything when nothing is selected). The document is left open and unsaved for the user.
class TdsWordExport
{
public:
    explicit TdsWordExport(office::WordProcessor &wordProcessor);

    /// The file-open dialog for an existing document: the chosen file, or an empty text when the user cancels.
    std::function<QString()> chooseFile;

    /// Exports the grid. For an existing document (newFile false) an empty fileName asks through chooseFile().
    /// The captions arrive with their " : ". Failures the user should read come back as a Failed outcome,
    /// keeping whatever was already inserted; failures while adding a document or looking through the open ones
    /// are thrown.
    office::Outcome ExportGrid(const ReportGridContent &grid, const QString &fileName, const QString &statTotal,
                               const QString &statTotalCaption, const QString &units, const QString &unitsCaption,
                               const QString &baseRate, const QString &baseRateCaption, bool newFile);

private:
    office::Document findOpenDocument(const QString &fileName);
    void insertAtStart(office::Document document, const QString &text);

    office::WordProcessor &m_word;
};

} // namespace quotaly
