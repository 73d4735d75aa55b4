#include "DbEdit.h"

#include "DataLink.h"
#include "Dialogs.h"
#include "dataset/Dataset.h"
#include "dataset/DisplayFormat.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QScopeGuard>

namespace quotaly::ui {

namespace {

QString textOf(const QVariant &value, FieldKind kind)
{
    if (value.isNull())
        return {};
    switch (kind) {
    case FieldKind::Float:
        return formatFloatGeneral(value.toDouble(), QLocale());
    case FieldKind::Integer:
        return QString::number(value.toLongLong());
    case FieldKind::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

} // namespace

DbEdit::DbEdit(QWidget *parent) : QLineEdit(parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::refreshRequested, this, &DbEdit::refresh);
    connect(m_link, &DataLink::updatingRecord, this, &DbEdit::onUpdatingRecord);
    connect(this, &QLineEdit::textEdited, this, &DbEdit::onTextEdited);
    refresh(true);
}

void DbEdit::setBinding(Dataset *dataset, const QString &fieldName)
{
    m_dirty = false;
    m_keepAfterPost = false;
    m_link->setBinding(dataset, fieldName);
}

Dataset *DbEdit::dataset() const
{
    return m_link->dataset();
}

QString DbEdit::fieldName() const
{
    return m_link->fieldName();
}

void DbEdit::configureForField()
{
    // Number fields take any keystroke: text that does not read as a number is refused as a whole when it is
    // stored, with a message, rather than losing single characters on the way in.
    const FieldDef *f = m_link->field();
    const FieldKind kind = f ? f->kind() : FieldKind::Text;
    setMaxLength(f && kind == FieldKind::Text && f->width > 0 ? f->width : 32767);
}

void DbEdit::refresh(bool rowMoved)
{
    if (rowMoved)
        configureForField();
    setReadOnly(!m_link->canModify());
    // Text the user is typing stays until it is written, cancelled, or the row goes away.
    if (m_dirty && !rowMoved && (m_link->isEditing() || m_keepAfterPost))
        return;
    m_dirty = false;
    m_keepAfterPost = false;
    showValue();
}

void DbEdit::showValue()
{
    const FieldDef *f = m_link->field();
    const QString text = f ? textOf(m_link->value(), f->kind()) : QString();
    if (text != this->text())
        setText(text);
}

void DbEdit::onTextEdited()
{
    m_keepAfterPost = false;
    m_dirty = true;
    if (!m_link->beginEdit()) {
        m_dirty = false;
        showValue();
    }
}

QVariant DbEdit::typedValue() const
{
    const QString typed = text();
    const FieldDef *f = m_link->field();
    if (typed.trimmed().isEmpty() || !f)
        return {};
    if (f->kind() == FieldKind::Float) {
        if (const auto v = parseUserFloat(typed, QLocale()))
            return *v;
    } else if (f->kind() == FieldKind::Integer) {
        if (const auto v = parseUserInteger(typed))
            return *v;
    }
    return typed;
}

bool DbEdit::commit()
{
    if (!m_dirty || m_committing)
        return true;
    m_committing = true;
    const auto done = qScopeGuard([this] { m_committing = false; });
    const FieldDef *f = m_link->field();
    const bool number = f && (f->kind() == FieldKind::Integer || f->kind() == FieldKind::Float);
    const QString problem = number ? typedNumberProblem(text(), f->kind() == FieldKind::Integer, QLocale()) : QString();
    if (!problem.isEmpty()) {
        // The field keeps its value and the edit shows it again, so what is on screen is what gets priced.
        m_dirty = false;
        m_keepAfterPost = false;
        showValue();
        dialogs().message(window(), problem, Dialogs::Kind::Warning);
        return false;
    }
    if (!m_link->writeValue(typedValue()))
        return false;
    m_dirty = false;
    m_keepAfterPost = false;
    showValue();
    return true;
}

void DbEdit::onUpdatingRecord()
{
    if (m_dirty && !commit() && m_dirty)
        m_keepAfterPost = true;
}

void DbEdit::focusOutEvent(QFocusEvent *event)
{
    // A context menu or a switch to another window is not the end of the edit.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        commit();
    QLineEdit::focusOutEvent(event);
}

void DbEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commit();
        break;
    case Qt::Key_Escape:
        if (m_dirty) {
            // Escape drops the typed text; the dataset's pending row is its owner's business.
            m_dirty = false;
            m_keepAfterPost = false;
            showValue();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void DbEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace quotaly::ui
