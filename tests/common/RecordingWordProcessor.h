#pragma once

#include "CallRecorder.h"
#include "office/WordProcessor.h"

#include <QList>
#include <QMap>

namespace quotaly::office {

/// A word processor that records every call and keeps each document as plain text, so that a test can
/// see both what was asked and what the document would read like.
///
/// Document text: a paragraph mark is "\n"; a text form field is its name in guillemets ("«pFullName»", a
/// form field's bookmark has the same name and ends right after it); a table is "[table]". A new document
/// holds one empty paragraph ("\n").
class RecordingWordProcessor : public WordProcessor
{
public:
    /// What a pasted or scripted table looks like in the document text.
    static const QString kTableText;

    // --- Script ------------------------------------------------------------------------------------------
    /// A file that openDocument() can open, with the text it holds. Other files fail to open.
    void addFile(const QString &fileName, const QString &text);
    /// A document that is open in the word processor before the conversation starts.
    Document addOpenDocument(const QString &fullName, const QString &text = QStringLiteral("\n"));
    /// See CallRecorder::failOn(); a pattern is matched against the call's log line.
    void failOn(const QString &pattern, const QString &message, int times = -1);

    // --- Inspect -----------------------------------------------------------------------------------------
    const QStringList &log() const { return m_calls.log(); }
    void clearLog() { m_calls.clearLog(); }
    QString text(Document document) const;
    bool isOpen(Document document) const;
    /// The document created or opened last.
    Document lastDocument() const { return Document{m_lastDocument}; }
    /// Everything pasted, in order.
    const QList<PasteData> &pastes() const { return m_pastes; }
    bool isConnected() const { return m_connected; }
    bool isVisible() const { return m_visible; }

    // --- WordProcessor -----------------------------------------------------------------------------------
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
    struct DocumentState
    {
        QString fullName;
        QString text;
        QString createdFrom; ///< the file an untitled document was created from
        bool open = true;
    };
    struct FieldRef
    {
        int document;
        QString name;
    };
    struct RangeRef
    {
        int document;
        TextPosition start;
        TextPosition end;
    };
    struct TableRef
    {
        int document;
        int index;
    };

    int newDocument(const QString &fullName, const QString &text);
    void begin(const QString &line);
    DocumentState &documentFor(Document document, const QString &line);
    DocumentState &fieldDocument(FormField field, const QString &line, qsizetype *start, qsizetype *end);
    DocumentState &rangeDocument(TextRange range, const QString &line, RangeRef *ref);
    void editField(FormField field, const QString &call, const QString &argument, const QString &insert, bool atEnd);
    void editRange(TextRange range, const QString &call, const QString &argument, const QString &insert, bool atEnd);
    QString name(Document document) const;
    QString name(FormField field) const;
    QString name(TextRange range) const;
    QString name(Table table) const;
    static QString marker(const QString &fieldName);

    CallRecorder m_calls;
    QMap<QString, QString> m_files;
    QMap<int, DocumentState> m_documents;
    QList<int> m_openOrder;
    QMap<int, FieldRef> m_fields;
    QMap<int, RangeRef> m_ranges;
    QMap<int, TableRef> m_tables;
    QList<PasteData> m_pastes;
    int m_nextId = 1;
    int m_untitled = 0;
    int m_lastDocument = 0;
    bool m_connected = false;
    bool m_visible = false;
};

} // namespace quotaly::office
