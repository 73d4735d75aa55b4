#pragma once

#include "OfficeTypes.h"

#include <QString>

namespace quotaly::office {

using Document = Handle<struct DocumentTag>;
using FormField = Handle<struct FormFieldTag>;
using TextRange = Handle<struct TextRangeTag>;
using Table = Handle<struct TableTag>;

/// A character position in a document: the number of characters before it, each paragraph mark counting one.
using TextPosition = qint64;

/// How to open a document file. The defaults are those of an interactive open.
struct OpenDocumentArgs
{
    QString fileName;
    bool confirmConversions = false;
    bool readOnly = false;
    bool addToRecentFiles = true;
    QString passwordDocument;
    QString passwordTemplate;
    QString writePasswordDocument;
    QString writePasswordTemplate;
    /// With asTemplate: an earlier untitled document that this program created from the same file and that has
    /// not been saved since is closed without saving and replaced. Without asTemplate: a copy of the file that
    /// is already open is reloaded from the file, losing its unsaved changes.
    bool revert = false;
    int format = 0; ///< 0: the file's format is recognised from its contents
    /// Creates a new untitled document from the file instead of opening the file itself, so the file can never
    /// be overwritten from the word processor. A copy of the file the user has open keeps its unsaved edits.
    bool asTemplate = false;
};

/// The report as it is pasted into a document: the same table as rich text (what the word processor takes),
/// as HTML and as TAB-separated plain text.
struct PasteData
{
    QString rtf;
    QString html;
    QString plainText;
};

/// The word processor, driven the way a user would drive it: one connection per command, documents and the
/// places inside them reached through handles that live as long as the connection.
///
/// Every call throws quotaly::Error with a message for the user when the word processor refuses it or does not
/// answer (the form field is not in the document, the file cannot be opened, the office was closed ...).
class WordProcessor
{
public:
    virtual ~WordProcessor() = default;

    /// Connects to the running word processor or starts one. Ending the connection never closes it.
    virtual void connect() = 0;
    /// Shows or hides the word processor's windows.
    virtual void setVisible(bool visible) = 0;
    /// Ends the connection; every handle becomes invalid. The word processor keeps running with its
    /// documents, unless quit() ended it.
    virtual void disconnect() = 0;
    /// Ends the word processor without saving, but only an instance that this program started and that shows
    /// no document of the user's; any other instance keeps running untouched.
    virtual void quit() = 0;

    /// A new empty document, shown to the user.
    virtual Document addDocument() = 0;
    /// Opens a document file (see OpenDocumentArgs).
    virtual Document openDocument(const OpenDocumentArgs &args) = 0;
    /// The number of documents open in the word processor.
    virtual int documentCount() = 0;
    /// The index-th open document, counted from 1.
    virtual Document document(int index) = 0;
    /// The full path of the document's file, or its title when it has never been saved.
    virtual QString fullName(Document document) = 0;

    /// The text form field of that name, compared without regard to case as bookmark names are; throws when
    /// the document has none.
    virtual FormField formField(Document document, const QString &name) = 0;
    /// Text right after the field, outside it.
    virtual void insertAfter(FormField field, const QString &text) = 0;
    /// Text right before the field, outside it.
    virtual void insertBefore(FormField field, const QString &text) = 0;
    /// A paragraph mark right after the field.
    virtual void insertParagraphAfter(FormField field) = 0;
    /// Replaces the field with the pasted table.
    virtual void paste(FormField field, const PasteData &data) = 0;
    /// Removes the field; text inserted before or after it stays.
    virtual void deleteField(FormField field) = 0;
    /// The position just after the bookmark of that name, compared without regard to case (a form field's
    /// bookmark has the field's name and ends right after it).
    virtual TextPosition bookmarkEnd(Document document, const QString &name) = 0;

    /// The text between two positions; start == end gives an empty range at that position. A range keeps its
    /// positions: text inserted through it does not widen it.
    virtual TextRange range(Document document, TextPosition start, TextPosition end) = 0;
    /// Text at the end of the range.
    virtual void insertAfter(TextRange range, const QString &text) = 0;
    /// Text at the start of the range, before what was there.
    virtual void insertBefore(TextRange range, const QString &text) = 0;
    /// A paragraph mark at the end of the range.
    virtual void insertParagraphAfter(TextRange range) = 0;
    /// A paragraph mark at the start of the range.
    virtual void insertParagraphBefore(TextRange range) = 0;
    /// Replaces the range with the pasted table.
    virtual void paste(TextRange range, const PasteData &data) = 0;

    /// The index-th table of the document, counted from 1 in reading order; throws when there are fewer.
    virtual Table table(Document document, int index) = 0;
    /// The size of all the table's text, in points.
    virtual void setFontSize(Table table, double points) = 0;
    /// Fits the widths of the table's columns to their contents.
    virtual void autoFitColumns(Table table) = 0;
    /// Centres the cells of one row (counted from 1) vertically.
    virtual void centreRowVertically(Table table, int row) = 0;

    /// Shows the print dialog for the document and returns when the user has printed or cancelled.
    virtual void showPrintDialog(Document document) = 0;
    /// Closes the document and discards its changes.
    virtual void closeWithoutSaving(Document document) = 0;
    /// Writes the document to a file, in the format its extension names (".pdf", ".odt", ".docx", ".rtf"),
    /// replacing an older file. The document stays open and keeps its own file name and modified state.
    virtual void saveCopyAs(Document document, const QString &fileName) = 0;
};

} // namespace quotaly::office
