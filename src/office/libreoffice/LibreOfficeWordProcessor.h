#pragma once

#include "OfficeSession.h"
#include "WriterText.h"

#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include <map>
#include <memory>
#include <vector>

namespace quotaly::office::lo {

/// LibreOffice Writer as the program's word processor. Handles refer to objects held for the current
/// connection; every office call runs on the session's worker thread.
class LibreOfficeWordProcessor : public WordProcessor
{
public:
    explicit LibreOfficeWordProcessor(std::shared_ptr<OfficeSession> session);
    ~LibreOfficeWordProcessor() override;

    void connect() override;
    void setVisible(bool visible) override;
    void disconnect() override;
    void quit() override;

    Document addDocument() override;
    Document openDocument(const OpenDocumentArgs &args) override;
    int documentCount() override;
    Document document(int index) override;
    QString fullName(Document document) override;

    FormField formField(Document document, const QString &name) override;
    void insertAfter(FormField field, const QString &text) override;
    void insertBefore(FormField field, const QString &text) override;
    void insertParagraphAfter(FormField field) override;
    void paste(FormField field, const PasteData &data) override;
    void deleteField(FormField field) override;
    TextPosition bookmarkEnd(Document document, const QString &name) override;

    TextRange range(Document document, TextPosition start, TextPosition end) override;
    void insertAfter(TextRange range, const QString &text) override;
    void insertBefore(TextRange range, const QString &text) override;
    void insertParagraphAfter(TextRange range) override;
    void insertParagraphBefore(TextRange range) override;
    void paste(TextRange range, const PasteData &data) override;

    Table table(Document document, int index) override;
    void setFontSize(Table table, double points) override;
    void autoFitColumns(Table table) override;
    void centreRowVertically(Table table, int row) override;

    void showPrintDialog(Document document) override;
    void closeWithoutSaving(Document document) override;
    void saveCopyAs(Document document, const QString &fileName) override;

private:
    using TextDocument = css::uno::Reference<css::text::XTextDocument>;
    struct FieldRef
    {
        int document = 0;
        css::uno::Reference<css::text::XTextContent> mark;
        QString name; ///< as the document spells it
    };
    struct RangeRef
    {
        int document = 0;
        TextPosition start = 0;
        TextPosition end = 0;
    };
    struct TableRef
    {
        int document = 0;
        css::uno::Reference<css::text::XTextTable> table;
    };
    enum class Edit
    {
        TextAfter,
        TextBefore,
        ParagraphAfter,
        ParagraphBefore
    };

    template <typename F> auto call(F &&fn, int timeoutMs = 0) -> decltype(fn());
    void requireConnection() const;
    std::vector<TextDocument> textDocuments() const;
    Document handleFor(const TextDocument &document);
    TextDocument documentFor(Document document) const;
    TextDocument documentFor(int id) const;
    const FieldRef &fieldFor(FormField field) const;
    css::uno::Reference<css::text::XTextRange> fieldAnchor(const FieldRef &field) const;
    const TableRef &tableFor(Table table) const;
    TextDocument openFile(const QString &path, const OpenDocumentArgs &args);
    TextDocument createFromTemplate(const QString &path, const OpenDocumentArgs &args);
    void editField(FormField field, Edit edit, const QString &text);
    void editRange(TextRange range, Edit edit, const QString &text);
    void removeField(const FieldRef &field);
    css::uno::Reference<css::text::XTextContent> lookUpFieldmark(int document, const QString &name);
    void forgetDocument(int id);
    void dropHandles();

    std::shared_ptr<OfficeSession> m_session;
    bool m_connected = false;
    int m_nextId = 1;
    std::map<int, TextDocument> m_documents;
    std::map<int, FieldRef> m_fields;
    std::map<int, RangeRef> m_ranges;
    std::map<int, TableRef> m_tables;
    std::map<int, std::vector<writer::NamedFieldmark>> m_fieldmarks; ///< per document, as last listed
};

} // namespace quotaly::office::lo
