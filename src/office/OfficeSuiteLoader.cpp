#include "OfficeSuite.h"

#include "OfficeNotInstalled.h"
#include "dataset/Error.h"

#include <mutex>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace quotaly::office {

namespace {

using CreateSuite = OfficeSuite *(*)(const OfficeOptions *);

const char moduleFile[] = "libquotaly_libreoffice.so";

// Where the LibreOffice bridge may be: named by the environment, beside the executable (build tree), installed
// under lib/quotaly, or where this build put it.
QStringList moduleCandidates()
{
    QStringList candidates;
    if (const QString configured = qEnvironmentVariable("QUOTALY_OFFICE_MODULE"); !configured.isEmpty())
        candidates << configured;
    if (QCoreApplication::instance()) {
        const QDir appDir(QCoreApplication::applicationDirPath());
        candidates << appDir.filePath(QLatin1String(moduleFile))
                   << appDir.filePath(QStringLiteral("../lib/quotaly/") + QLatin1String(moduleFile));
    }
    if (const QString built = QStringLiteral(QUOTALY_OFFICE_MODULE_BUILD_PATH); !built.isEmpty())
        candidates << built;
    return candidates;
}

struct LoadedModule
{
    CreateSuite create = nullptr;
    QString reason; ///< why there is no create function
};

// Loaded once; the module stays for the life of the process, as the objects it made may.
const LoadedModule &module()
{
    static const LoadedModule loaded = [] {
        LoadedModule result;
        if (QStringLiteral(QUOTALY_OFFICE_MODULE_BUILD_PATH).isEmpty() &&
            qEnvironmentVariableIsEmpty("QUOTALY_OFFICE_MODULE")) {
            result.reason = QStringLiteral("this copy of Quotaly was built without LibreOffice support");
            return result;
        }
        result.reason = QStringLiteral("the LibreOffice bridge %1 was not found").arg(QLatin1String(moduleFile));
        for (const QString &candidate : moduleCandidates()) {
            if (!QFileInfo::exists(candidate))
                continue;
            QLibrary library(candidate);
            library.setLoadHints(QLibrary::PreventUnloadHint);
            if (!library.load()) {
                result.reason = library.errorString();
                continue;
            }
            result.create = reinterpret_cast<CreateSuite>(library.resolve("quotaly_create_libreoffice_suite"));
            if (result.create)
                return result;
            result.reason = library.errorString();
        }
        return result;
    }();
    return loaded;
}

// Stands in for the office when the bridge cannot be loaded: connect() says what to install, every other call
// refuses too. Ending a connection that never began is not an error.
class UnavailableSpreadsheet : public Spreadsheet
{
public:
    explicit UnavailableSpreadsheet(QString text) : m_text(std::move(text)) {}
    [[noreturn]] void fail() const { throw Error(m_text); }

    void connect() override { fail(); }
    void setVisible(bool) override { fail(); }
    void disconnect() override {}
    Workbook addWorkbook() override { fail(); }
    int workbookCount() override { fail(); }
    Workbook workbook(int) override { fail(); }
    QString fullName(Workbook) override { fail(); }
    Workbook openWorkbook(const OpenWorkbookArgs &) override { fail(); }
    Worksheet firstWorksheet(Workbook) override { fail(); }
    int usedRowCount(Worksheet) override { fail(); }
    void setCell(Worksheet, int, int, const CellValue &) override { fail(); }
    void setCellBold(Worksheet, int, int) override { fail(); }
    CellRange range(Worksheet, const QString &, const QString &) override { fail(); }
    void setHorizontalAlignment(CellRange, HorizontalAlignment) override { fail(); }
    void setVerticalAlignment(CellRange, VerticalAlignment) override { fail(); }
    void setBold(CellRange) override { fail(); }
    void setWrapText(CellRange) override { fail(); }
    void setBorder(CellRange, BorderEdge, LineStyle) override { fail(); }
    void autoFitColumns(Worksheet) override { fail(); }
    void autoFitRows(Worksheet) override { fail(); }
    void select(CellRange) override { fail(); }
    void saveCopyAs(Workbook, const QString &) override { fail(); }

private:
    QString m_text;
};

class UnavailableWordProcessor : public WordProcessor
{
public:
    explicit UnavailableWordProcessor(QString text) : m_text(std::move(text)) {}
    [[noreturn]] void fail() const { throw Error(m_text); }

    void connect() override { fail(); }
    void setVisible(bool) override { fail(); }
    void disconnect() override {}
    void quit() override { fail(); }
    Document addDocument() override { fail(); }
    Document openDocument(const OpenDocumentArgs &) override { fail(); }
    int documentCount() override { fail(); }
    Document document(int) override { fail(); }
    QString fullName(Document) override { fail(); }
    FormField formField(Document, const QString &) override { fail(); }
    void insertAfter(FormField, const QString &) override { fail(); }
    void insertBefore(FormField, const QString &) override { fail(); }
    void insertParagraphAfter(FormField) override { fail(); }
    void paste(FormField, const PasteData &) override { fail(); }
    void deleteField(FormField) override { fail(); }
    TextPosition bookmarkEnd(Document, const QString &) override { fail(); }
    TextRange range(Document, TextPosition, TextPosition) override { fail(); }
    void insertAfter(TextRange, const QString &) override { fail(); }
    void insertBefore(TextRange, const QString &) override { fail(); }
    void insertParagraphAfter(TextRange) override { fail(); }
    void insertParagraphBefore(TextRange) override { fail(); }
    void paste(TextRange, const PasteData &) override { fail(); }
    Table table(Document, int) override { fail(); }
    void setFontSize(Table, double) override { fail(); }
    void autoFitColumns(Table) override { fail(); }
    void centreRowVertically(Table, int) override { fail(); }
    void showPrintDialog(Document) override { fail(); }
    void closeWithoutSaving(Document) override { fail(); }
    void saveCopyAs(Document, const QString &) override { fail(); }

private:
    QString m_text;
};

class UnavailableSuite : public OfficeSuite
{
public:
    explicit UnavailableSuite(const QString &reason) : m_text(officeNotInstalledText(reason)) {}
    std::unique_ptr<WordProcessor> wordProcessor() override
    {
        return std::make_unique<UnavailableWordProcessor>(m_text);
    }
    std::unique_ptr<Spreadsheet> spreadsheet() override { return std::make_unique<UnavailableSpreadsheet>(m_text); }

private:
    QString m_text;
};

} // namespace

std::unique_ptr<OfficeSuite> createOfficeSuite(const OfficeOptions &options)
{
    const LoadedModule &loaded = module();
    if (!loaded.create)
        return std::make_unique<UnavailableSuite>(loaded.reason);
    return std::unique_ptr<OfficeSuite>(loaded.create(&options));
}

} // namespace quotaly::office
