#include "TextProperties.h"

#include "DbComboBox.h"
#include "DbEdit.h"
#include "DbLookupComboBox.h"
#include "GridColumnComponent.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QHash>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace quotaly::ui::text_properties {

namespace {

const QString kCaption = QStringLiteral("Caption");
const QString kHint = QStringLiteral("Hint");
const QString kText = QStringLiteral("Text");
const QString kItems = QStringLiteral("Items");
const char kKeepsStateProperty[] = "quotalyKeepsState";

// Controls whose texts are the user's data or the program's state, wherever a language file names them.
const QHash<QString, QStringList> &stateControls()
{
    static const QHash<QString, QStringList> controls{
        {QStringLiteral("fQuotaly"), {QStringLiteral("LastClient"), QStringLiteral("Edit1"), QStringLiteral("cbValuta"),
                                      QStringLiteral("lcClient"), QStringLiteral("dbcbPricingBy")}},
        {QStringLiteral("fMatchResults"), {QStringLiteral("eStatTotal"), QStringLiteral("eUnits"),
                                           QStringLiteral("eBaseRate"), QStringLiteral("eCurrency"),
                                           QStringLiteral("lcClient")}},
        {QStringLiteral("fInvoice"), {QStringLiteral("cbInvLang"), QStringLiteral("mComment")}},
        {QStringLiteral("fExportReport"), {QStringLiteral("cbLang")}},
        {QStringLiteral("fImport"), {QStringLiteral("eOtherDelimiter")}},
    };
    return controls;
}

bool isForm(const QObject *object)
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu *>(widget);
}

// A line edit whose text is the user's (bound to a field) rather than a label of the program.
bool isPlainLineEdit(const QObject *object)
{
    return qobject_cast<const QLineEdit *>(object) && !qobject_cast<const DbEdit *>(object) &&
           !qobject_cast<const QComboBox *>(object->parent());
}

// A combo box whose items are the program's own texts, not a data list.
bool isPlainComboBox(const QObject *object)
{
    return qobject_cast<const QComboBox *>(object) && !qobject_cast<const DbComboBox *>(object) &&
           !qobject_cast<const DbLookupComboBox *>(object);
}

bool hasCaption(const QObject *object)
{
    return isForm(object) || qobject_cast<const QAction *>(object) || qobject_cast<const QMenu *>(object) ||
           qobject_cast<const QGroupBox *>(object) || qobject_cast<const QAbstractButton *>(object) ||
           qobject_cast<const QLabel *>(object) || qobject_cast<const GridColumnComponent *>(object);
}

bool hasHint(const QObject *object)
{
    return (qobject_cast<const QWidget *>(object) && !qobject_cast<const QMenu *>(object)) ||
           qobject_cast<const QAction *>(object);
}

QString caption(const QObject *object)
{
    if (isForm(object))
        return static_cast<const QWidget *>(object)->windowTitle();
    if (const auto *action = qobject_cast<const QAction *>(object))
        return action->text();
    if (const auto *menu = qobject_cast<const QMenu *>(object))
        return menu->title();
    if (const auto *group = qobject_cast<const QGroupBox *>(object))
        return group->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(object))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(object))
        return label->text();
    if (const auto *column = qobject_cast<const GridColumnComponent *>(object))
        return column->caption();
    return {};
}

void setCaption(QObject *object, const QString &text)
{
    if (isForm(object))
        static_cast<QWidget *>(object)->setWindowTitle(text);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(text);
    else if (auto *menu = qobject_cast<QMenu *>(object))
        menu->setTitle(text);
    else if (auto *group = qobject_cast<QGroupBox *>(object))
        group->setTitle(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(object)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
    } else if (auto *column = qobject_cast<GridColumnComponent *>(object))
        column->setCaption(text);
}

QString hint(const QObject *object)
{
    QString tip;
    QString status;
    if (const auto *action = qobject_cast<const QAction *>(object)) {
        tip = action->toolTip();
        status = action->statusTip();
        // An action without a tool tip of its own reports its text (no "&", no "..."): that alone is no hint.
        const QString ownText = QString(action->text()).remove(u'&').remove(QStringLiteral("...")).trimmed();
        if (tip == ownText && status.isEmpty())
            tip.clear();
    } else if (const auto *widget = qobject_cast<const QWidget *>(object)) {
        tip = widget->toolTip();
        status = widget->statusTip();
    }
    if (status.isEmpty() || status == tip)
        return tip;
    return tip + u'|' + status;
}

void setHint(QObject *object, const QString &text)
{
    // "short|long": the short part is the tool tip, the long part goes to the status bar; a hint without "|" is
    // both.
    const qsizetype bar = text.indexOf(u'|');
    const QString tip = bar < 0 ? text : text.left(bar);
    const QString status = bar < 0 ? text : text.mid(bar + 1);
    if (auto *action = qobject_cast<QAction *>(object)) {
        action->setToolTip(tip);
        action->setStatusTip(status);
    } else if (auto *widget = qobject_cast<QWidget *>(object)) {
        widget->setToolTip(tip);
        widget->setStatusTip(status);
    }
}

} // namespace

void setKeepsState(QObject *object, bool keeps)
{
    object->setProperty(kKeepsStateProperty, keeps);
}

bool keepsState(const QObject *object)
{
    if (object->property(kKeepsStateProperty).toBool())
        return true;
    const QWidget *form = formOf(object);
    return form && form != object &&
           stateControls().value(form->objectName()).contains(object->objectName());
}

QWidget *formOf(const QObject *object)
{
    for (const QObject *o = object; o; o = o->parent()) {
        if (isForm(o))
            return const_cast<QWidget *>(static_cast<const QWidget *>(o));
    }
    return nullptr;
}

QList<QObject *> componentsOf(QWidget *form)
{
    QList<QObject *> components;
    const QList<QObject *> all = form->findChildren<QObject *>();
    for (QObject *object : all) {
        const QString name = object->objectName();
        if (name.isEmpty() || name.startsWith(u"qt_") || formOf(object) != form)
            continue;
        components << object;
    }
    return components;
}

QStringList propertyNames(const QObject *object)
{
    if (keepsState(object))
        return {};
    QStringList names;
    if (hasCaption(object))
        names << kCaption;
    if (hasHint(object))
        names << kHint;
    if (isPlainLineEdit(object))
        names << kText;
    return names;
}

QStringList listNames(const QObject *object)
{
    if (keepsState(object) || !isPlainComboBox(object))
        return {};
    return {kItems};
}

QString listKind(const QString &listName)
{
    return listName == kItems ? kStringsKind : kColumnsKind;
}

std::optional<QString> get(const QObject *object, const QString &name)
{
    if (!propertyNames(object).contains(name))
        return std::nullopt;
    if (name == kCaption)
        return caption(object);
    if (name == kHint)
        return hint(object);
    return static_cast<const QLineEdit *>(object)->text();
}

namespace {

// Line breaks as the widgets take them: values arrive with CR LF, as language files apply them.
QString widgetText(const QString &value)
{
    return QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void write(QObject *object, const QString &name, const QString &text)
{
    if (name == kCaption)
        setCaption(object, text);
    else if (name == kHint)
        setHint(object, text);
    else
        static_cast<QLineEdit *>(object)->setText(text);
}

} // namespace

bool set(QObject *object, const QString &name, const QString &value)
{
    if (value.isEmpty() || !propertyNames(object).contains(name))
        return false;
    write(object, name, widgetText(value));
    return true;
}

void restore(QObject *object, const QString &name, const QString &text)
{
    if (propertyNames(object).contains(name))
        write(object, name, text);
}

QStringList items(const QObject *object, const QString &listName)
{
    if (!listNames(object).contains(listName))
        return {};
    const auto *combo = static_cast<const QComboBox *>(object);
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

bool setItem(QObject *object, const QString &listName, int index, const QString &text)
{
    if (text.isEmpty() || !listNames(object).contains(listName))
        return false;
    auto *combo = static_cast<QComboBox *>(object);
    if (index < 0 || index >= combo->count())
        return false;
    combo->setItemText(index, widgetText(text));
    return true;
}

} // namespace quotaly::ui::text_properties
