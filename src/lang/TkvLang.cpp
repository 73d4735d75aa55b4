#include "TkvLang.h"

#include "LanguageFile.h"
#include "LanguageList.h"
#include "LanguageLookup.h"
#include "TfWait.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "ui/Dialogs.h"
#include "ui/TextProperties.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QScopeGuard>

namespace quotaly {

namespace tp = ui::text_properties;

namespace {

constexpr int kNoEntry = ::quotaly::LanguageTree::kNone;
const char kBaseTexts[] = "quotalyBaseTexts";
const char kGeneration[] = "quotalyLanguageGeneration";
const QString kListSuffix = QStringLiteral("[]");
const QString kDisplayLabel = QStringLiteral("DisplayLabel");

bool isTranslatableForm(const QObject *object)
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    return widget && tp::formOf(widget) == widget && !widget->objectName().isEmpty();
}

// Remembers an object's texts as they were built, before any language touches them.
void keepBaseTexts(QObject *object)
{
    if (object->property(kBaseTexts).isValid())
        return;
    QVariantMap texts;
    for (const QString &name : tp::propertyNames(object))
        texts.insert(name, tp::get(object, name).value_or(QString()));
    for (const QString &list : tp::listNames(object))
        texts.insert(list + kListSuffix, tp::items(object, list));
    object->setProperty(kBaseTexts, texts);
}

void restoreBaseTexts(QObject *object)
{
    const QVariantMap texts = object->property(kBaseTexts).toMap();
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (!it.key().endsWith(kListSuffix)) {
            tp::restore(object, it.key(), it.value().toString());
            continue;
        }
        const QString list = it.key().chopped(kListSuffix.size());
        const QStringList items = it.value().toStringList();
        for (int i = 0; i < items.size(); ++i)
            tp::setItem(object, list, i, items.at(i));
    }
}

void applyEntries(QObject *object, const ::quotaly::LanguageTree &tree, const QList<TextProperty> &properties)
{
    const QStringList lists = tp::listNames(object);
    for (const TextProperty &p : properties) {
        if (!lists.contains(p.name)) {
            tp::set(object, p.name, p.value);
            continue;
        }
        const QStringList items = listItems(tree, p.entry);
        for (int i = 0; i < items.size(); ++i)
            tp::setItem(object, p.name, i, items.at(i)); // empty texts and items beyond the list are skipped
    }
}

} // namespace

TkvLang::TkvLang(QWidget *owner, const QString &langDir, const QString &baseLanguage)
    : QObject(owner), BaseLanguage(baseLanguage), CurrentLanguage(baseLanguage), m_owner(owner), m_langDir(langDir)
{
    setObjectName(QStringLiteral("kvLang1"));
    LanguageList = languageList(m_langDir, BaseLanguage);
    qApp->installEventFilter(this);
}

TkvLang::~TkvLang()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

// --- Menu ----------------------------------------------------------------------------------------------------

void TkvLang::BuildLanguageMenu()
{
    if (!m_menu)
        return;
    m_group = new QActionGroup(this);
    m_group->setExclusive(true);
    for (const QString &language : std::as_const(LanguageList))
        addLanguageEntry(language, nullptr);
    if (!m_group->actions().isEmpty())
        m_group->actions().first()->setChecked(true);
    m_separator = m_menu->addSeparator();
    m_managerEntry = m_menu->addAction(QStringLiteral("Language manager ..."));
    m_managerEntry->setObjectName(QStringLiteral("LanguageManager1"));
    m_managerEntry->setEnabled(bool(OpenLanguageManager));
    connect(m_managerEntry, &QAction::triggered, this, [this] {
        if (OpenLanguageManager)
            OpenLanguageManager();
    });
}

QAction *TkvLang::addLanguageEntry(const QString &language, QAction *before)
{
    auto *entry = new QAction(language, m_menu);
    entry->setCheckable(true);
    entry->setData(language); // the language, whatever the desktop does to the caption
    m_group->addAction(entry);
    m_menu->insertAction(before, entry);
    connect(entry, &QAction::triggered, this, [this, entry] { LanguageMenuClick(entry); });
    return entry;
}

QAction *TkvLang::menuEntry(const QString &language) const
{
    if (!m_group)
        return nullptr;
    const QList<QAction *> entries = m_group->actions();
    for (QAction *entry : entries) {
        if (entry->data().toString() == language)
            return entry;
    }
    return nullptr;
}

void TkvLang::AddLanguageMenuItem(const QString &language)
{
    if (m_menu && m_group && !menuEntry(language))
        addLanguageEntry(language, m_separator);
}

void TkvLang::RemoveLanguageMenuItem(const QString &language)
{
    if (QAction *entry = menuEntry(language)) {
        m_group->removeAction(entry);
        m_menu->removeAction(entry);
        entry->deleteLater();
    }
}

void TkvLang::checkEntry(const QString &language)
{
    if (QAction *entry = menuEntry(language))
        entry->setChecked(true);
}

void TkvLang::LanguageMenuClick(QAction *entry)
{
    const QString language = entry->data().toString();
    if (language == CurrentLanguage) {
        entry->setChecked(true);
        return;
    }
    try {
        if (!LoadLanguage(language, false)) {
            checkEntry(CurrentLanguage);
            return;
        }
    } catch (const Error &) {
        // The load has said why; the language in use stays checked and current.
        checkEntry(CurrentLanguage);
        return;
    }
    CurrentLanguage = language;
    entry->setChecked(true);
    if (OnLangChange)
        OnLangChange(entry);
}

// --- Loading and applying ------------------------------------------------------------------------------------

bool TkvLang::LoadLanguage(const QString &language, bool quiet, bool tell)
{
    if (m_loading)
        return false;
    m_loading = true;
    std::unique_ptr<TfWait> wait;
    const auto done = qScopeGuard([this, &wait] {
        wait.reset();
        QApplication::restoreOverrideCursor();
        m_loading = false;
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!quiet) {
        wait = std::make_unique<TfWait>(m_owner);
        wait->showNow();
    }

    // Read whole into a new tree first: a file that cannot be read or parsed changes nothing.
    ::quotaly::LanguageTree tree;
    try {
        tree = LanguageFile::read(m_langDir + languageFileName(language, BaseLanguage));
    } catch (const Error &e) {
        wait.reset();
        if (language == BaseLanguage) {
            // Without its file the base language is what the windows were built with.
            LanguageTree.clear();
            applyEverywhere();
            checkEntry(language);
        }
        if (tell)
            ui::dialogs().message(m_owner, e.text());
        throw;
    }
    LanguageTree = std::move(tree);
    checkEntry(language);
    applyEverywhere();
    return true;
}

void TkvLang::applyEverywhere()
{
    ++m_generation;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (isTranslatableForm(window))
            applyToForm(window, findSection(LanguageTree, window->objectName()));
    }
    translateDataModule(findSection(LanguageTree, QStringLiteral("DM")));
}

void TkvLang::TranslateForm(QWidget *form, int section)
{
    if (!form)
        return;
    if (section == kNoEntry)
        section = findSection(LanguageTree, form->objectName());
    applyToForm(form, section);
}

void TkvLang::applyToForm(QWidget *form, int section)
{
    form->setProperty(kGeneration, m_generation);
    const QList<QObject *> components = tp::componentsOf(form);
    keepBaseTexts(form);
    for (QObject *component : components)
        keepBaseTexts(component);
    restoreBaseTexts(form);
    for (QObject *component : components)
        restoreBaseTexts(component);
    if (section == kNoEntry)
        return;

    applyEntries(form, LanguageTree, formProperties(LanguageTree, section));
    for (QObject *component : components) {
        const int entry = findEntry(LanguageTree, section, component->objectName());
        if (entry != kNoEntry)
            applyEntries(component, LanguageTree, componentProperties(LanguageTree, entry));
    }
    // Fixed-size windows fit their new texts.
    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(form, &change);
}

void TkvLang::translateDataModule(int section)
{
    for (Dataset *dataset : std::as_const(m_datasets)) {
        const QList<FieldDef> fields = dataset->fields(); // a copy: setting a label changes the list
        for (const FieldDef &field : fields) {
            const QString key = dataset->name() + field.name;
            if (!m_baseLabels.contains(key)) {
                if (field.displayLabel.isEmpty())
                    continue;
                m_baseLabels.insert(key, field.displayLabel);
            }
            QString label = m_baseLabels.value(key);
            const int entry = section == kNoEntry ? kNoEntry : findEntry(LanguageTree, section, key);
            if (entry != kNoEntry) {
                for (const TextProperty &p : componentProperties(LanguageTree, entry)) {
                    if (p.name == kDisplayLabel && !p.value.isEmpty())
                        label = QString(p.value).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
                }
            }
            if (label != field.displayLabel)
                dataset->setFieldDisplay(field.name, label, field.displayWidth, field.displayFormat);
        }
    }
}

bool TkvLang::eventFilter(QObject *watched, QEvent *event)
{
    // A form shown after the last load (or never translated) gets the current language before it paints.
    if (event->type() == QEvent::Show && m_generation > 0 && isTranslatableForm(watched) &&
        watched->property(kGeneration).toInt() != m_generation) {
        auto *form = static_cast<QWidget *>(watched);
        applyToForm(form, findSection(LanguageTree, form->objectName()));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quotaly
