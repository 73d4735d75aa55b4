#include "RecordingWordProcessor.h"

namespace quotaly::office {

using namespace Qt::StringLiterals;

const QString RecordingWordProcessor::kTableText = QStringLiteral("[table]");

namespace {

QString call(const QString &function, const QStringList &arguments)
{
    return function + u'(' + arguments.join(QStringLiteral(", ")) + u')';
}

const QString kNoSuchMember = QStringLiteral("The requested member of the collection does not exist.");

} // namespace

// --- Script and inspection -----------------------------------------------------------------------------------

void RecordingWordProcessor::addFile(const QString &fileName, const QString &text)
{
    m_files.insert(fileName, text);
}

Document RecordingWordProcessor::addOpenDocument(const QString &fullName, const QString &text)
{
    return Document{newDocument(fullName, text)};
}

void RecordingWordProcessor::failOn(const QString &pattern, const QString &message, int times)
{
    m_calls.failOn(pattern, message, times);
}

QString RecordingWordProcessor::text(Document document) const
{
    return m_documents.value(document.id).text;
}

bool RecordingWordProcessor::isOpen(Document document) const
{
    return m_documents.contains(document.id) && m_documents.value(document.id).open;
}

int RecordingWordProcessor::newDocument(const QString &fullName, const QString &text)
{
    const int id = m_nextId++;
    m_documents.insert(id, DocumentState{fullName, text, {}, true});
    m_openOrder.append(id);
    m_lastDocument = id;
    return id;
}

QString RecordingWordProcessor::marker(const QString &fieldName)
{
    return u'\u00AB' + fieldName + u'\u00BB';
}

// --- Names in the log ----------------------------------------------------------------------------------------

QString RecordingWordProcessor::name(Document document) const
{
    return QStringLiteral("doc%1").arg(document.id);
}

QString RecordingWordProcessor::name(FormField field) const
{
    return m_fields.contains(field.id) ? m_fields.value(field.id).name : QStringLiteral("field%1").arg(field.id);
}

QString RecordingWordProcessor::name(TextRange range) const
{
    if (!m_ranges.contains(range.id))
        return QStringLiteral("range%1").arg(range.id);
    const RangeRef r = m_ranges.value(range.id);
    return QStringLiteral("doc%1[%2,%3]").arg(r.document).arg(r.start).arg(r.end);
}

QString RecordingWordProcessor::name(Table table) const
{
    if (!m_tables.contains(table.id))
        return QStringLiteral("table%1").arg(table.id);
    const TableRef t = m_tables.value(table.id);
    return QStringLiteral("doc%1.table(%2)").arg(t.document).arg(t.index);
}

// --- Checks shared by the calls ------------------------------------------------------------------------------

void RecordingWordProcessor::begin(const QString &line)
{
    m_calls.check(line);
    if (!m_connected)
        m_calls.fail(line, QStringLiteral("The word processor is not connected."));
}

RecordingWordProcessor::DocumentState &RecordingWordProcessor::documentFor(Document document, const QString &line)
{
    begin(line);
    auto it = m_documents.find(document.id);
    if (it == m_documents.end() || !it->open)
        m_calls.fail(line, QStringLiteral("The document is not open."));
    return *it;
}

RecordingWordProcessor::DocumentState &RecordingWordProcessor::fieldDocument(FormField field, const QString &line,
                                                                             qsizetype *start, qsizetype *end)
{
    begin(line);
    if (!m_fields.contains(field.id))
        m_calls.fail(line, QStringLiteral("The form field handle is not valid."));
    const FieldRef ref = m_fields.value(field.id);
    auto it = m_documents.find(ref.document);
    const qsizetype at =
        it == m_documents.end() || !it->open ? -1 : it->text.indexOf(marker(ref.name), 0, Qt::CaseInsensitive);
    if (at < 0)
        m_calls.fail(line, QStringLiteral("The object has been deleted."));
    *start = at;
    *end = at + marker(ref.name).size();
    return *it;
}

RecordingWordProcessor::DocumentState &RecordingWordProcessor::rangeDocument(TextRange range, const QString &line,
                                                                             RangeRef *ref)
{
    begin(line);
    if (!m_ranges.contains(range.id))
        m_calls.fail(line, QStringLiteral("The range handle is not valid."));
    *ref = m_ranges.value(range.id);
    auto it = m_documents.find(ref->document);
    if (it == m_documents.end() || !it->open || ref->end > it->text.size())
        m_calls.fail(line, QStringLiteral("The range is outside the document."));
    return *it;
}

void RecordingWordProcessor::editField(FormField field, const QString &function, const QString &argument,
                                       const QString &insert, bool atEnd)
{
    QStringList arguments{name(field)};
    if (!argument.isNull())
        arguments << argument;
    const QString line = call(function, arguments);
    qsizetype start = 0;
    qsizetype end = 0;
    DocumentState &doc = fieldDocument(field, line, &start, &end);
    doc.text.insert(atEnd ? end : start, insert);
    m_calls.done(line);
}

void RecordingWordProcessor::editRange(TextRange range, const QString &function, const QString &argument,
                                       const QString &insert, bool atEnd)
{
    QStringList arguments{name(range)};
    if (!argument.isNull())
        arguments << argument;
    const QString line = call(function, arguments);
    RangeRef ref{};
    DocumentState &doc = rangeDocument(range, line, &ref);
    doc.text.insert(atEnd ? ref.end : ref.start, insert);
    m_calls.done(line);
}

// --- Connection ----------------------------------------------------------------------------------------------

void RecordingWordProcessor::connect()
{
    const QString line = QStringLiteral("connect()");
    m_calls.check(line);
    m_connected = true;
    m_calls.done(line);
}

void RecordingWordProcessor::setVisible(bool visible)
{
    const QString line = call(QStringLiteral("setVisible"), {CallRecorder::boolean(visible)});
    begin(line);
    m_visible = visible;
    m_calls.done(line);
}

void RecordingWordProcessor::disconnect()
{
    const QString line = QStringLiteral("disconnect()");
    m_calls.check(line);
    m_connected = false;
    m_fields.clear();
    m_ranges.clear();
    m_tables.clear();
    m_calls.done(line);
}

void RecordingWordProcessor::quit()
{
    const QString line = QStringLiteral("quit()");
    begin(line);
    m_calls.done(line);
}

// --- Documents -----------------------------------------------------------------------------------------------

Document RecordingWordProcessor::addDocument()
{
    const QString line = QStringLiteral("addDocument()");
    begin(line);
    const Document doc{newDocument(QStringLiteral("Untitled %1").arg(++m_untitled), QStringLiteral("\n"))};
    m_calls.returned(line, name(doc));
    return doc;
}

Document RecordingWordProcessor::openDocument(const OpenDocumentArgs &a)
{
    using R = CallRecorder;
    const QString line = call(
        QStringLiteral("openDocument"),
        {R::quoted(a.fileName), u"confirmConversions="_s + R::boolean(a.confirmConversions),
         u"readOnly="_s + R::boolean(a.readOnly), u"addToRecentFiles="_s + R::boolean(a.addToRecentFiles),
         u"passwordDocument="_s + R::quoted(a.passwordDocument), u"passwordTemplate="_s + R::quoted(a.passwordTemplate),
         u"writePasswordDocument="_s + R::quoted(a.writePasswordDocument),
         u"writePasswordTemplate="_s + R::quoted(a.writePasswordTemplate), u"revert="_s + R::boolean(a.revert),
         u"format="_s + QString::number(a.format), u"asTemplate="_s + R::boolean(a.asTemplate)});
    begin(line);
    if (!m_files.contains(a.fileName))
        m_calls.fail(line, QStringLiteral("This file could not be found. (%1)").arg(a.fileName));
    const QString fileText = m_files.value(a.fileName);

    int id = 0;
    if (a.asTemplate) {
        for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
            if (a.revert && it->open && it->createdFrom == a.fileName) {
                it->open = false;
                m_openOrder.removeOne(it.key());
            }
        }
        id = newDocument(QStringLiteral("Untitled %1").arg(++m_untitled), fileText);
        m_documents[id].createdFrom = a.fileName;
    } else {
        for (int open : std::as_const(m_openOrder)) {
            if (m_documents.value(open).fullName == a.fileName)
                id = open;
        }
        if (id == 0)
            id = newDocument(a.fileName, fileText);
        else if (a.revert)
            m_documents[id].text = fileText;
    }
    m_calls.returned(line, name(Document{id}));
    return Document{id};
}

int RecordingWordProcessor::documentCount()
{
    const QString line = QStringLiteral("documentCount()");
    begin(line);
    m_calls.returned(line, QString::number(m_openOrder.size()));
    return int(m_openOrder.size());
}

Document RecordingWordProcessor::document(int index)
{
    const QString line = call(QStringLiteral("document"), {QString::number(index)});
    begin(line);
    if (index < 1 || index > m_openOrder.size())
        m_calls.fail(line, kNoSuchMember);
    const Document doc{m_openOrder.at(index - 1)};
    m_calls.returned(line, name(doc));
    return doc;
}

QString RecordingWordProcessor::fullName(Document document)
{
    const QString line = call(QStringLiteral("fullName"), {name(document)});
    const QString result = documentFor(document, line).fullName;
    m_calls.returned(line, CallRecorder::quoted(result));
    return result;
}

// --- Form fields ---------------------------------------------------------------------------------------------

FormField RecordingWordProcessor::formField(Document document, const QString &fieldName)
{
    const QString line = call(QStringLiteral("formField"), {name(document), CallRecorder::quoted(fieldName)});
    const DocumentState &doc = documentFor(document, line);
    if (fieldName.isEmpty() || !doc.text.contains(marker(fieldName), Qt::CaseInsensitive))
        m_calls.fail(line, kNoSuchMember);
    const FormField field{m_nextId++};
    m_fields.insert(field.id, FieldRef{document.id, fieldName});
    m_calls.returned(line, name(field));
    return field;
}

void RecordingWordProcessor::insertAfter(FormField field, const QString &text)
{
    editField(field, QStringLiteral("insertAfter"), CallRecorder::quoted(text), text, true);
}

void RecordingWordProcessor::insertBefore(FormField field, const QString &text)
{
    editField(field, QStringLiteral("insertBefore"), CallRecorder::quoted(text), text, false);
}

void RecordingWordProcessor::insertParagraphAfter(FormField field)
{
    editField(field, QStringLiteral("insertParagraphAfter"), {}, QStringLiteral("\n"), true);
}

void RecordingWordProcessor::paste(FormField field, const PasteData &data)
{
    const QString line = call(QStringLiteral("paste"), {name(field), QStringLiteral("table")});
    qsizetype start = 0;
    qsizetype end = 0;
    DocumentState &doc = fieldDocument(field, line, &start, &end);
    doc.text.replace(start, end - start, kTableText);
    m_pastes.append(data);
    m_calls.done(line);
}

void RecordingWordProcessor::deleteField(FormField field)
{
    const QString line = call(QStringLiteral("deleteField"), {name(field)});
    qsizetype start = 0;
    qsizetype end = 0;
    DocumentState &doc = fieldDocument(field, line, &start, &end);
    doc.text.remove(start, end - start);
    m_calls.done(line);
}

TextPosition RecordingWordProcessor::bookmarkEnd(Document document, const QString &bookmark)
{
    const QString line = call(QStringLiteral("bookmarkEnd"), {name(document), CallRecorder::quoted(bookmark)});
    const DocumentState &doc = documentFor(document, line);
    const qsizetype at = bookmark.isEmpty() ? -1 : doc.text.indexOf(marker(bookmark), 0, Qt::CaseInsensitive);
    if (at < 0)
        m_calls.fail(line, kNoSuchMember);
    const TextPosition end = at + marker(bookmark).size();
    m_calls.returned(line, QString::number(end));
    return end;
}

// --- Ranges --------------------------------------------------------------------------------------------------

TextRange RecordingWordProcessor::range(Document document, TextPosition start, TextPosition end)
{
    const QString line = call(QStringLiteral("range"), {name(document), QString::number(start), QString::number(end)});
    const DocumentState &doc = documentFor(document, line);
    if (start < 0 || start > end || end > doc.text.size())
        m_calls.fail(line, QStringLiteral("The value is out of range."));
    const TextRange r{m_nextId++};
    m_ranges.insert(r.id, RangeRef{document.id, start, end});
    m_calls.returned(line, name(r));
    return r;
}

void RecordingWordProcessor::insertAfter(TextRange range, const QString &text)
{
    editRange(range, QStringLiteral("insertAfter"), CallRecorder::quoted(text), text, true);
}

void RecordingWordProcessor::insertBefore(TextRange range, const QString &text)
{
    editRange(range, QStringLiteral("insertBefore"), CallRecorder::quoted(text), text, false);
}

void RecordingWordProcessor::insertParagraphAfter(TextRange range)
{
    editRange(range, QStringLiteral("insertParagraphAfter"), {}, QStringLiteral("\n"), true);
}

void RecordingWordProcessor::insertParagraphBefore(TextRange range)
{
    editRange(range, QStringLiteral("insertParagraphBefore"), {}, QStringLiteral("\n"), false);
}

void RecordingWordProcessor::paste(TextRange range, const PasteData &data)
{
    const QString line = call(QStringLiteral("paste"), {name(range), QStringLiteral("table")});
    RangeRef ref{};
    DocumentState &doc = rangeDocument(range, line, &ref);
    doc.text.replace(ref.start, ref.end - ref.start, kTableText);
    m_pastes.append(data);
    m_calls.done(line);
}

// --- Tables --------------------------------------------------------------------------------------------------

Table RecordingWordProcessor::table(Document document, int index)
{
    const QString line = call(QStringLiteral("table"), {name(document), QString::number(index)});
    const DocumentState &doc = documentFor(document, line);
    if (index < 1 || doc.text.count(kTableText) < index)
        m_calls.fail(line, kNoSuchMember);
    const Table t{m_nextId++};
    m_tables.insert(t.id, TableRef{document.id, index});
    m_calls.returned(line, name(t));
    return t;
}

void RecordingWordProcessor::setFontSize(Table table, double points)
{
    const QString line = call(QStringLiteral("setFontSize"), {name(table), CallRecorder::number(points)});
    begin(line);
    if (!m_tables.contains(table.id))
        m_calls.fail(line, QStringLiteral("The table handle is not valid."));
    m_calls.done(line);
}

void RecordingWordProcessor::autoFitColumns(Table table)
{
    const QString line = call(QStringLiteral("autoFitColumns"), {name(table)});
    begin(line);
    if (!m_tables.contains(table.id))
        m_calls.fail(line, QStringLiteral("The table handle is not valid."));
    m_calls.done(line);
}

void RecordingWordProcessor::centreRowVertically(Table table, int row)
{
    const QString line = call(QStringLiteral("centreRowVertically"), {name(table), QString::number(row)});
    begin(line);
    if (!m_tables.contains(table.id))
        m_calls.fail(line, QStringLiteral("The table handle is not valid."));
    m_calls.done(line);
}

// --- Printing and closing ------------------------------------------------------------------------------------

void RecordingWordProcessor::showPrintDialog(Document document)
{
    const QString line = call(QStringLiteral("showPrintDialog"), {name(document)});
    documentFor(document, line);
    m_calls.done(line);
}

void RecordingWordProcessor::closeWithoutSaving(Document document)
{
    const QString line = call(QStringLiteral("closeWithoutSaving"), {name(document)});
    DocumentState &doc = documentFor(document, line);
    doc.open = false;
    m_openOrder.removeOne(document.id);
    m_calls.done(line);
}

void RecordingWordProcessor::saveCopyAs(Document document, const QString &fileName)
{
    const QString line = call(QStringLiteral("saveCopyAs"), {name(document), CallRecorder::quoted(fileName)});
    documentFor(document, line);
    m_calls.done(line);
}

} // namespace quotaly::office
