#include "LibreOfficeWordProcessor.h"

#include "PrintDialogWait.h"
#include "ReportTransferable.h"
#include "StoreCopy.h"
#include "WriterText.h"
#include "office/OfficeTypes.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XRelativeTextContentInsert.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <mutex>

#include <QFileInfo>
#include <QRegularExpression>

namespace quotaly::office::lo {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
namespace text = css::text;

namespace {

const QString kNotConnected = QStringLiteral("The program is not connected to LibreOffice Writer.");
const QString kDocumentClosed = QStringLiteral("The document is no longer open in LibreOffice Writer.");

// The untitled invoices this program made from templates, so that the next invoice from the same template can
// replace one the user never saved. Kept for the life of the process, across word processors of a session.
struct CreatedFromTemplate
{
    std::weak_ptr<OfficeSession> session;
    QString templatePath; ///< canonical
    Reference<css::frame::XModel> model;
};

struct TemplateRegistry
{
    std::mutex mutex;
    std::vector<CreatedFromTemplate> documents;
};

TemplateRegistry &templateRegistry()
{
    // Never destroyed: its office references must not be released after the UNO runtime has gone.
    static auto *registry = new TemplateRegistry;
    return *registry;
}

bool sameSession(const std::weak_ptr<OfficeSession> &a, const std::shared_ptr<OfficeSession> &b)
{
    return !a.owner_before(b) && !b.owner_before(a);
}

void closeModel(const Reference<css::frame::XModel> &model)
{
    const Reference<css::util::XModifiable> modifiable(model, UNO_QUERY);
    if (modifiable.is())
        modifiable->setModified(false);
    const Reference<css::util::XCloseable> closeable(model, UNO_QUERY);
    try {
        if (closeable.is()) {
            closeable->close(true);
            return;
        }
    } catch (const css::util::CloseVetoException &) {
        // Busy, printing say: having been handed ownership, the office closes it when done.
        return;
    }
    Reference<css::lang::XComponent>(model, UNO_QUERY_THROW)->dispose();
}

Reference<text::XTextCursor> cursorAt(const Reference<text::XTextRange> &place)
{
    return place->getText()->createTextCursorByRange(place);
}

void insertText(const Reference<text::XTextRange> &place, const QString &value)
{
    place->getText()->insertString(Reference<text::XTextRange>(cursorAt(place), UNO_QUERY_THROW), toOUString(value),
                                   false);
}

void insertParagraphBreak(const Reference<text::XTextRange> &place)
{
    place->getText()->insertControlCharacter(Reference<text::XTextRange>(cursorAt(place), UNO_QUERY_THROW),
                                             text::ControlCharacter::PARAGRAPH_BREAK, false);
}

// An empty paragraph in front of a table, for what has to go before it rather than into its first cell.
Reference<text::XTextRange> paragraphBefore(const Reference<text::XTextDocument> &document,
                                            const Reference<text::XTextTable> &table)
{
    const Reference<css::lang::XMultiServiceFactory> factory(document, UNO_QUERY_THROW);
    const Reference<text::XTextContent> paragraph(factory->createInstance("com.sun.star.text.Paragraph"),
                                                  UNO_QUERY_THROW);
    const Reference<text::XRelativeTextContentInsert> insert(table->getAnchor()->getText(), UNO_QUERY_THROW);
    // Marked deprecated in the API, yet the only way to put a paragraph in front of a table that starts the text.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    insert->insertTextContentBefore(paragraph, Reference<text::XTextContent>(table, UNO_QUERY_THROW));
#pragma GCC diagnostic pop
    return paragraph->getAnchor()->getStart();
}

QString exportFilter(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"pdf")
        return QStringLiteral("writer_pdf_Export");
    if (suffix == u"odt")
        return QStringLiteral("writer8");
    if (suffix == u"docx")
        return QStringLiteral("MS Word 2007 XML");
    if (suffix == u"rtf")
        return QStringLiteral("Rich Text Format");
    return {};
}

} // namespace

// --- Plumbing ------------------------------------------------------------------------------------------------

LibreOfficeWordProcessor::LibreOfficeWordProcessor(std::shared_ptr<OfficeSession> session)
    : m_session(std::move(session))
{
}

LibreOfficeWordProcessor::~LibreOfficeWordProcessor()
{
    try {
        disconnect();
    } catch (...) {
        // The office went away; the handles die with the connection.
    }
}

template <typename F> auto LibreOfficeWordProcessor::call(F &&fn, int timeoutMs) -> decltype(fn())
{
    requireConnection();
    return m_session->run(
        [&]() -> decltype(fn()) {
            try {
                return fn();
            } catch (const css::lang::DisposedException &) {
                // A closed document throws this as well as a closed office: only the latter ends the connection.
                m_session->desktop()->getComponents();
                throw Error(kDocumentClosed);
            }
        },
        timeoutMs);
}

void LibreOfficeWordProcessor::requireConnection() const
{
    if (!m_connected)
        throw Error(kNotConnected);
}

std::vector<LibreOfficeWordProcessor::TextDocument> LibreOfficeWordProcessor::textDocuments() const
{
    std::vector<TextDocument> documents;
    const Reference<css::container::XEnumeration> all = m_session->desktop()->getComponents()->createEnumeration();
    while (all->hasMoreElements()) {
        const TextDocument document(all->nextElement(), UNO_QUERY);
        if (document.is())
            documents.push_back(document);
    }
    return documents;
}

Document LibreOfficeWordProcessor::handleFor(const TextDocument &document)
{
    for (const auto &[id, known] : m_documents) {
        if (writer::sameObject(known, document))
            return Document{id};
    }
    const int id = m_nextId++;
    m_documents.emplace(id, document);
    return Document{id};
}

LibreOfficeWordProcessor::TextDocument LibreOfficeWordProcessor::documentFor(int id) const
{
    const auto it = m_documents.find(id);
    if (it == m_documents.end())
        throw Error(kDocumentClosed);
    return it->second;
}

LibreOfficeWordProcessor::TextDocument LibreOfficeWordProcessor::documentFor(Document document) const
{
    return documentFor(document.id);
}

const LibreOfficeWordProcessor::FieldRef &LibreOfficeWordProcessor::fieldFor(FormField field) const
{
    const auto it = m_fields.find(field.id);
    if (it == m_fields.end())
        throw Error(QStringLiteral("The form field handle is not valid."));
    return it->second;
}

Reference<text::XTextRange> LibreOfficeWordProcessor::fieldAnchor(const FieldRef &field) const
{
    documentFor(field.document);
    Reference<text::XTextRange> anchor;
    try {
        anchor = field.mark->getAnchor();
    } catch (const css::uno::RuntimeException &) {
    }
    if (!anchor.is())
        throw Error(QStringLiteral("The form field “%1” is no longer in the document.").arg(field.name));
    return anchor;
}

const LibreOfficeWordProcessor::TableRef &LibreOfficeWordProcessor::tableFor(Table table) const
{
    const auto it = m_tables.find(table.id);
    if (it == m_tables.end())
        throw Error(QStringLiteral("The table handle is not valid."));
    documentFor(it->second.document);
    return it->second;
}

void LibreOfficeWordProcessor::forgetDocument(int id)
{
    m_documents.erase(id);
    m_fieldmarks.erase(id);
    std::erase_if(m_fields, [id](const auto &entry) { return entry.second.document == id; });
    std::erase_if(m_ranges, [id](const auto &entry) { return entry.second.document == id; });
    std::erase_if(m_tables, [id](const auto &entry) { return entry.second.document == id; });
}

void LibreOfficeWordProcessor::dropHandles()
{
    m_fields.clear();
    m_ranges.clear();
    m_tables.clear();
    m_documents.clear();
    m_fieldmarks.clear();
}

// --- Connection ----------------------------------------------------------------------------------------------

void LibreOfficeWordProcessor::connect()
{
    m_session->connect();
    m_connected = true;
}

void LibreOfficeWordProcessor::setVisible(bool visible)
{
    requireConnection();
    // Documents are shown as they are opened; this brings back ones that were opened hidden. Hiding the user's
    // windows is never done.
    if (!visible || m_session->headless())
        return;
    call([&] {
        for (const TextDocument &document : textDocuments()) {
            const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
            const Reference<css::frame::XController> controller = model->getCurrentController();
            const Reference<css::frame::XFrame> frame = controller.is() ? controller->getFrame() : nullptr;
            const Reference<css::awt::XWindow2> window(frame.is() ? frame->getContainerWindow() : nullptr, UNO_QUERY);
            if (window.is() && !window->isVisible())
                m_session->show(Reference<css::lang::XComponent>(document, UNO_QUERY_THROW));
        }
    });
}

void LibreOfficeWordProcessor::disconnect()
{
    if (m_documents.empty() && m_fields.empty() && m_tables.empty() && m_fieldmarks.empty()) {
        m_ranges.clear();
        m_connected = false;
        return;
    }
    try {
        // The office references are released on the worker, like every other office call.
        m_session->run([this] { dropHandles(); });
    } catch (const Error &) {
        dropHandles();
    }
    m_connected = false;
}

void LibreOfficeWordProcessor::quit()
{
    requireConnection();
    // A headless office belongs to the session, which ends it; the user's own office is never ended.
    if (m_session->headless() || !m_session->startedByUs())
        return;
    call([&] {
        const Reference<css::frame::XDesktop2> desktop = m_session->desktop();
        if (desktop->getComponents()->createEnumeration()->hasMoreElements())
            return; // documents of the user's are open
        dropHandles();
        try {
            desktop->terminate();
        } catch (const css::uno::RuntimeException &) {
            // The connection goes down with the office.
        }
    });
}

// --- Documents -----------------------------------------------------------------------------------------------

Document LibreOfficeWordProcessor::addDocument()
{
    return call([&] {
        const Reference<css::lang::XComponent> component =
            m_session->load(OUString("private:factory/swriter"), Sequence<css::beans::PropertyValue>());
        m_session->show(component);
        return handleFor(TextDocument(component, UNO_QUERY_THROW));
    });
}

Document LibreOfficeWordProcessor::openDocument(const OpenDocumentArgs &args)
{
    requireConnection();
    if (args.fileName.isEmpty())
        throw Error(QStringLiteral("No document file was named."));
    const QFileInfo info(args.fileName);
    const QString path = info.absoluteFilePath();
    // A template goes through the stricter check: the office would take random bytes for a text to fill.
    if (args.asTemplate) {
        if (const QString problem = templateFileProblem(path); !problem.isEmpty())
            throw Error(problem);
    }
    if (!info.exists())
        throw Error(QStringLiteral("The document “%1” does not exist.").arg(path));
    if (info.isDir())
        throw Error(QStringLiteral("“%1” is a folder, not a document.").arg(path));
    if (!info.isReadable())
        throw Error(QStringLiteral("The document “%1” cannot be read: permission denied.").arg(path));
    return call([&] {
        const TextDocument document = args.asTemplate ? createFromTemplate(path, args) : openFile(path, args);
        m_session->show(Reference<css::lang::XComponent>(document, UNO_QUERY_THROW));
        return handleFor(document);
    });
}

namespace {

Sequence<css::beans::PropertyValue> loadProperties(const OpenDocumentArgs &args, bool asTemplate)
{
    std::vector<css::beans::PropertyValue> list;
    const auto add = [&](const char *name, const Any &value) {
        css::beans::PropertyValue property;
        property.Name = OUString::createFromAscii(name);
        property.Value = value;
        list.push_back(property);
    };
    if (asTemplate) {
        // A new untitled document; read-only would only lock the user out of the invoice.
        add("AsTemplate", Any(true));
    } else if (args.readOnly) {
        add("ReadOnly", Any(true));
    }
    add("PickListEntry", Any(args.addToRecentFiles));
    const QString password =
        asTemplate && !args.passwordTemplate.isEmpty() ? args.passwordTemplate : args.passwordDocument;
    if (!password.isEmpty())
        add("Password", Any(toOUString(password)));
    return Sequence<css::beans::PropertyValue>(list.data(), sal_Int32(list.size()));
}

// Loads a file as a text document; anything else the office made of it is closed again, unless it was open
// already.
Reference<text::XTextDocument> loadText(OfficeSession &session, const QString &path,
                                        const Sequence<css::beans::PropertyValue> &properties)
{
    std::vector<Reference<css::uno::XInterface>> before;
    const Reference<css::container::XEnumeration> open = session.desktop()->getComponents()->createEnumeration();
    while (open->hasMoreElements())
        before.emplace_back(open->nextElement(), UNO_QUERY);

    const Reference<css::lang::XComponent> component = session.load(fileUrl(path), properties);
    const Reference<text::XTextDocument> document(component, UNO_QUERY);
    if (document.is())
        return document;
    bool wasOpen = false;
    for (const auto &other : before)
        wasOpen = wasOpen || writer::sameObject(other, component);
    if (!wasOpen) {
        const Reference<css::frame::XModel> model(component, UNO_QUERY);
        if (model.is())
            closeModel(model);
        else
            component->dispose();
    }
    throw Error(QStringLiteral("“%1” is not a text document, so LibreOffice Writer cannot use it.").arg(path));
}

} // namespace

LibreOfficeWordProcessor::TextDocument LibreOfficeWordProcessor::createFromTemplate(const QString &path,
                                                                                    const OpenDocumentArgs &args)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    TemplateRegistry &registry = templateRegistry();
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.documents, [](const CreatedFromTemplate &entry) { return entry.session.expired(); });
    if (args.revert) {
        // The earlier invoice from this template goes, unless the user has saved it since; a copy of the template
        // the user opened to edit it was never made here and is not in the list.
        std::erase_if(registry.documents, [&](const CreatedFromTemplate &entry) {
            if (!sameSession(entry.session, m_session) || entry.templatePath != canonical)
                return false;
            try {
                if (entry.model->getURL().isEmpty()) {
                    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
                        if (writer::sameObject(it->second, entry.model)) {
                            forgetDocument(it->first);
                            break;
                        }
                    }
                    closeModel(entry.model);
                }
            } catch (const css::uno::RuntimeException &) {
                // Closed already.
            }
            return true;
        });
    }
    const TextDocument document = loadText(*m_session, path, loadProperties(args, true));
    registry.documents.push_back({m_session, canonical, Reference<css::frame::XModel>(document, UNO_QUERY_THROW)});
    return document;
}

LibreOfficeWordProcessor::TextDocument LibreOfficeWordProcessor::openFile(const QString &path,
                                                                          const OpenDocumentArgs &args)
{
    // An open copy is used as it is, so its unsaved changes are never lost; only revert reloads it.
    for (const TextDocument &document : textDocuments()) {
        const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
        if (!sameFile(pathFromUrl(model->getURL()), path))
            continue;
        if (!args.revert)
            return document;
        for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
            if (writer::sameObject(it->second, document)) {
                forgetDocument(it->first);
                break;
            }
        }
        closeModel(model);
        break;
    }
    return loadText(*m_session, path, loadProperties(args, false));
}

int LibreOfficeWordProcessor::documentCount()
{
    return call([&] { return int(textDocuments().size()); });
}

Document LibreOfficeWordProcessor::document(int index)
{
    return call([&] {
        const std::vector<TextDocument> documents = textDocuments();
        if (index < 1 || index > int(documents.size())) {
            throw Error(QStringLiteral("There is no document %1 in LibreOffice Writer; %2 are open.")
                            .arg(index)
                            .arg(documents.size()));
        }
        return handleFor(documents[size_t(index - 1)]);
    });
}

QString LibreOfficeWordProcessor::fullName(Document document)
{
    return call([&] {
        const Reference<css::frame::XModel> model(documentFor(document), UNO_QUERY_THROW);
        const OUString url = model->getURL();
        if (!url.isEmpty()) {
            const QString path = pathFromUrl(url);
            return path.isEmpty() ? toQString(url) : path;
        }
        const Reference<css::frame::XTitle> title(model, UNO_QUERY);
        return title.is() ? toQString(title->getTitle()) : QString();
    });
}

// --- Form fields ---------------------------------------------------------------------------------------------

FormField LibreOfficeWordProcessor::formField(Document document, const QString &name)
{
    return call([&] {
        const Reference<text::XTextContent> mark = lookUpFieldmark(document.id, name);
        if (!mark.is())
            throw Error(QStringLiteral("The document has no form field named “%1”.").arg(name));
        const Reference<css::container::XNamed> named(mark, UNO_QUERY);
        const FormField field{m_nextId++};
        m_fields.emplace(field.id, FieldRef{document.id, mark, named.is() ? toQString(named->getName()) : name});
        return field;
    });
}

// Every look-up in the office's list of text fields costs a round trip per entry, and an invoice looks up some
// thirty fields: the list is read once per document, and read again when a name is not in it or the mark found
// there has gone since.
Reference<text::XTextContent> LibreOfficeWordProcessor::lookUpFieldmark(int document, const QString &name)
{
    const TextDocument doc = documentFor(document);
    if (const auto listed = m_fieldmarks.find(document); listed != m_fieldmarks.end()) {
        const Reference<text::XTextContent> mark = writer::fieldmarkIn(listed->second, name);
        try {
            if (mark.is() && mark->getAnchor().is())
                return mark;
        } catch (const css::uno::RuntimeException &) {
            // Removed with the text around it.
        }
    }
    std::vector<writer::NamedFieldmark> &marks = m_fieldmarks[document];
    marks = writer::listedFieldmarks(doc);
    const Reference<text::XTextContent> mark = writer::fieldmarkIn(marks, name);
    return mark.is() ? mark : writer::findFieldmark(doc, name);
}

void LibreOfficeWordProcessor::editField(FormField field, Edit edit, const QString &value)
{
    call([&] {
        const Reference<text::XTextRange> anchor = fieldAnchor(fieldFor(field));
        switch (edit) {
        case Edit::TextAfter:
            insertText(anchor->getEnd(), value);
            break;
        case Edit::TextBefore:
            insertText(anchor->getStart(), value);
            break;
        case Edit::ParagraphAfter:
            insertParagraphBreak(anchor->getEnd());
            break;
        case Edit::ParagraphBefore:
            insertParagraphBreak(anchor->getStart());
            break;
        }
    });
}

void LibreOfficeWordProcessor::insertAfter(FormField field, const QString &value)
{
    editField(field, Edit::TextAfter, value);
}

void LibreOfficeWordProcessor::insertBefore(FormField field, const QString &value)
{
    editField(field, Edit::TextBefore, value);
}

void LibreOfficeWordProcessor::insertParagraphAfter(FormField field)
{
    editField(field, Edit::ParagraphAfter, {});
}

// Clearing the field's text takes its marks with it; the bookmark Writer kept beside it under the name
// "<name> Copy 1" goes too.
void LibreOfficeWordProcessor::removeField(const FieldRef &field)
{
    const Reference<text::XTextRange> anchor = fieldAnchor(field);
    anchor->setString(OUString());
    const TextDocument document = documentFor(field.document);
    const Reference<text::XTextContent> copy = writer::findBookmark(document, field.name + QStringLiteral(" Copy 1"));
    if (copy.is())
        copy->getAnchor()->getText()->removeTextContent(copy);
}

void LibreOfficeWordProcessor::paste(FormField field, const PasteData &data)
{
    call([&] {
        const FieldRef &ref = fieldFor(field);
        const Reference<text::XTextRange> at(cursorAt(fieldAnchor(ref)->getStart()), UNO_QUERY_THROW);
        removeField(ref);
        insertReport(documentFor(ref.document), at, data);
    });
}

void LibreOfficeWordProcessor::deleteField(FormField field)
{
    call([&] { removeField(fieldFor(field)); });
}

TextPosition LibreOfficeWordProcessor::bookmarkEnd(Document document, const QString &name)
{
    return call([&] {
        const TextDocument doc = documentFor(document);
        // A form field's own mark ends right after it; Writer renames Word's bookmark of a form field.
        Reference<text::XTextContent> mark = writer::findFieldmark(doc, name);
        if (!mark.is())
            mark = writer::findBookmark(doc, name);
        if (!mark.is())
            mark = writer::findBookmark(doc, name + QStringLiteral(" Copy 1"));
        if (!mark.is())
            throw Error(QStringLiteral("The document has no bookmark named “%1”.").arg(name));
        return TextPosition(writer::positionOf(doc, mark->getAnchor()->getEnd()));
    });
}

// --- Ranges --------------------------------------------------------------------------------------------------

TextRange LibreOfficeWordProcessor::range(Document document, TextPosition start, TextPosition end)
{
    return call([&] {
        const TextDocument doc = documentFor(document);
        if (start < 0 || start > end)
            throw Error(QStringLiteral("%1 to %2 is not a range of the document.").arg(start).arg(end));
        writer::placeAt(doc, end); // throws when the document is shorter
        const TextRange range{m_nextId++};
        m_ranges.emplace(range.id, RangeRef{document.id, start, end});
        return range;
    });
}

void LibreOfficeWordProcessor::editRange(TextRange range, Edit edit, const QString &value)
{
    const auto it = m_ranges.find(range.id);
    if (it == m_ranges.end())
        throw Error(QStringLiteral("The range handle is not valid."));
    const RangeRef ref = it->second;
    call([&] {
        const TextDocument doc = documentFor(ref.document);
        const bool atEnd = edit == Edit::TextAfter || edit == Edit::ParagraphAfter;
        const writer::Place place = writer::placeAt(doc, atEnd ? ref.end : ref.start);
        switch (edit) {
        case Edit::TextAfter:
        case Edit::TextBefore:
            insertText(place.range, value);
            break;
        case Edit::ParagraphBefore:
            // In front of a table that begins here, not into its first cell.
            if (place.tableStart.is()) {
                paragraphBefore(doc, place.tableStart);
                break;
            }
            [[fallthrough]];
        case Edit::ParagraphAfter:
            insertParagraphBreak(place.range);
            break;
        }
    });
}

void LibreOfficeWordProcessor::insertAfter(TextRange range, const QString &value)
{
    editRange(range, Edit::TextAfter, value);
}

void LibreOfficeWordProcessor::insertBefore(TextRange range, const QString &value)
{
    editRange(range, Edit::TextBefore, value);
}

void LibreOfficeWordProcessor::insertParagraphAfter(TextRange range)
{
    editRange(range, Edit::ParagraphAfter, {});
}

void LibreOfficeWordProcessor::insertParagraphBefore(TextRange range)
{
    editRange(range, Edit::ParagraphBefore, {});
}

void LibreOfficeWordProcessor::paste(TextRange range, const PasteData &data)
{
    const auto it = m_ranges.find(range.id);
    if (it == m_ranges.end())
        throw Error(QStringLiteral("The range handle is not valid."));
    const RangeRef ref = it->second;
    call([&] {
        const TextDocument doc = documentFor(ref.document);
        const writer::Place start = writer::placeAt(doc, ref.start);
        if (start.tableStart.is()) {
            // A table pasted into the first cell of another would nest; it goes in front instead.
            insertReport(doc, paragraphBefore(doc, start.tableStart), data);
            return;
        }
        const Reference<text::XTextCursor> cursor = cursorAt(start.range);
        if (ref.end > ref.start)
            cursor->gotoRange(writer::placeAt(doc, ref.end).range, true);
        insertReport(doc, Reference<text::XTextRange>(cursor, UNO_QUERY_THROW), data);
    });
}

// --- Tables --------------------------------------------------------------------------------------------------

Table LibreOfficeWordProcessor::table(Document document, int index)
{
    return call([&] {
        const std::vector<Reference<text::XTextTable>> tables = writer::tablesInOrder(documentFor(document));
        if (index < 1 || index > int(tables.size())) {
            throw Error(
                QStringLiteral("The document has %1 table(s), so there is no table %2.").arg(tables.size()).arg(index));
        }
        const Table table{m_nextId++};
        m_tables.emplace(table.id, TableRef{document.id, tables[size_t(index - 1)]});
        return table;
    });
}

namespace {

// All cells of a table as one range; null for a table with merged or split cells, which has no such range.
Reference<css::table::XCellRange> wholeTable(const Reference<text::XTextTable> &table)
{
    const Sequence<OUString> names = table->getCellNames();
    if (names.getLength() == 0)
        return {};
    const Reference<css::table::XCellRange> cells(table, UNO_QUERY_THROW);
    try {
        return cells->getCellRangeByName(names[0] + ":" + names[names.getLength() - 1]);
    } catch (const css::uno::RuntimeException &) {
        return {};
    }
}

} // namespace

void LibreOfficeWordProcessor::setFontSize(Table table, double points)
{
    call([&] {
        const Reference<text::XTextTable> t = tableFor(table).table;
        const Any height = css::uno::Any(float(points));
        const Reference<css::beans::XPropertySet> all(wholeTable(t), UNO_QUERY);
        if (all.is()) {
            all->setPropertyValue("CharHeight", height);
            return;
        }
        for (const OUString &name : t->getCellNames()) {
            const Reference<text::XText> cell(t->getCellByName(name), UNO_QUERY_THROW);
            const Reference<text::XTextCursor> cursor = cell->createTextCursor();
            cursor->gotoEnd(true);
            Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)->setPropertyValue("CharHeight", height);
        }
    });
}

// Writer's own "optimal column width", run on a selection of the whole table in the document's view.
void LibreOfficeWordProcessor::autoFitColumns(Table table)
{
    call([&] {
        const TableRef &ref = tableFor(table);
        const Reference<css::table::XCellRange> cells = wholeTable(ref.table);
        const Reference<css::frame::XModel> model(documentFor(ref.document), UNO_QUERY_THROW);
        const Reference<css::frame::XController> controller = model->getCurrentController();
        const Reference<css::view::XSelectionSupplier> selection(controller, UNO_QUERY);
        if (!cells.is() || !selection.is())
            throw Error(QStringLiteral("The table's columns cannot be fitted to their contents."));
        // The table is selected only for the command: a selection left behind would, for one, make the print
        // dialog offer to print just the table.
        const Any before = selection->getSelection();
        selection->select(Any(cells));
        const Reference<css::frame::XDispatchHelper> dispatcher =
            css::frame::DispatchHelper::create(m_session->context());
        dispatcher->executeDispatch(Reference<css::frame::XDispatchProvider>(controller->getFrame(), UNO_QUERY_THROW),
                                    OUString(".uno:SetOptimalColumnWidth"), OUString(), 0,
                                    Sequence<css::beans::PropertyValue>());
        bool restored = false;
        try {
            restored = before.hasValue() && selection->select(before);
        } catch (const css::uno::Exception &) {
        }
        if (!restored) {
            const Reference<text::XTextDocument> doc(model, UNO_QUERY_THROW);
            selection->select(Any(doc->getText()->getStart()));
        }
    });
}

void LibreOfficeWordProcessor::centreRowVertically(Table table, int row)
{
    call([&] {
        // Writer keeps the vertical alignment in each cell; cell names end in their row number ("B3").
        const Reference<text::XTextTable> t = tableFor(table).table;
        const int rows = t->getRows()->getCount();
        if (row < 1 || row > rows)
            throw Error(QStringLiteral("The table has %1 row(s), so there is no row %2.").arg(rows).arg(row));
        const Any centre = css::uno::Any(sal_Int16(text::VertOrientation::CENTER));
        for (const OUString &name : t->getCellNames()) {
            const QString cell = toQString(name);
            const qsizetype digits = cell.indexOf(QRegularExpression(QStringLiteral("[0-9]")));
            if (digits < 0 || cell.mid(digits).section(u'.', 0, 0).toInt() != row)
                continue;
            Reference<css::beans::XPropertySet>(t->getCellByName(name), UNO_QUERY_THROW)
                ->setPropertyValue("VertOrient", centre);
        }
    });
}

// --- Printing, closing, saving -------------------------------------------------------------------------------

void LibreOfficeWordProcessor::showPrintDialog(Document document)
{
    requireConnection();
    if (m_session->headless()) {
        throw Error(QStringLiteral("Printing needs the office's window, and this LibreOffice runs without one. "
                                   "Save the invoice and print it from LibreOffice."));
    }
    // The user takes as long as they like over the dialog.
    call(
        [&] {
            waitForPrintDialog(m_session->context(),
                               Reference<css::frame::XModel>(documentFor(document), UNO_QUERY_THROW));
        },
        -1);
}

void LibreOfficeWordProcessor::closeWithoutSaving(Document document)
{
    call([&] {
        const Reference<css::frame::XModel> model(documentFor(document), UNO_QUERY_THROW);
        forgetDocument(document.id);
        closeModel(model);
    });
}

void LibreOfficeWordProcessor::saveCopyAs(Document document, const QString &fileName)
{
    requireConnection();
    const QString filter = exportFilter(fileName);
    if (filter.isEmpty()) {
        throw Error(QStringLiteral("Cannot save “%1”: LibreOffice Writer saves .pdf, .odt, .docx and .rtf files here.")
                        .arg(fileName));
    }
    const TextDocument doc = documentFor(document);
    storeCopy(*m_session, fileName, [&](const OUString &url) {
        const Reference<css::frame::XStorable> storable(doc, UNO_QUERY_THROW);
        storable->storeToURL(url, properties({{"FilterName", Any(toOUString(filter))}, {"Overwrite", Any(true)}}));
    });
}

std::unique_ptr<WordProcessor> createLibreOfficeWordProcessor(std::shared_ptr<OfficeSession> session)
{
    return std::make_unique<LibreOfficeWordProcessor>(std::move(session));
}

} // namespace quotaly::office::lo
