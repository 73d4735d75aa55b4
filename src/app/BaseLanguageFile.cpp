#include "BaseLanguageFile.h"

#include "Forms.h"
#include "TDM.h"
#include "TfQuotaly.h"
#include "TfNewClient.h"
#include "clients/TfClients.h"
#include "clients/TfCurrency.h"
#include "clients/TfImport.h"
#include "clients/TfPersonal.h"
#include "reports/TfExportReport.h"
#include "reports/TfInvoice.h"
#include "reports/TfMatchResults.h"
#include "dataset/Dataset.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageText.h"
#include "lang/TfLangManager.h"
#include "lang/TfReplace.h"
#include "lang/TfWait.h"
#include "support/TfAbout.h"
#include "support/TfSplash.h"
#include "ui/TextProperties.h"

#include <QWidget>

namespace quotaly {

namespace tp = ui::text_properties;

namespace {

using Lines = QList<std::pair<int, QString>>;

// An object's non-empty texts as lines at `level`; list items, keyed by their position, one level deeper.
Lines textLines(const QObject *object, int level)
{
    Lines lines;
    for (const QString &name : tp::propertyNames(object)) {
        const QString text = tp::get(object, name).value_or(QString());
        if (!text.isEmpty())
            lines.append({level, name + u'=' + toLineMarkers(text)});
    }
    for (const QString &list : tp::listNames(object)) {
        const QStringList items = tp::items(object, list);
        if (items.isEmpty())
            continue;
        lines.append({level, list + u'=' + tp::listKind(list)});
        for (int i = 0; i < items.size(); ++i)
            lines.append({level + 1, QString::number(i) + u'=' + toLineMarkers(items.at(i))});
    }
    return lines;
}

void append(LanguageTree &tree, const Lines &lines)
{
    for (const auto &[level, text] : lines)
        tree.append(level, text);
}

} // namespace

LanguageTree baseLanguageTree(const QList<QWidget *> &forms, const QList<Dataset *> &dataModule)
{
    LanguageTree tree;
    for (QWidget *form : forms) {
        tree.append(0, form->objectName());
        append(tree, textLines(form, 1));
        for (const QObject *component : tp::componentsOf(form)) {
            const Lines lines = textLines(component, 2);
            if (lines.isEmpty())
                continue;
            tree.append(1, component->objectName());
            append(tree, lines);
        }
    }
    tree.append(0, QStringLiteral("DM"));
    for (const Dataset *dataset : dataModule) {
        for (const FieldDef &field : dataset->fields()) {
            if (field.displayLabel.isEmpty())
                continue;
            tree.append(1, dataset->name() + field.name);
            tree.append(2, QStringLiteral("DisplayLabel=") + toLineMarkers(field.displayLabel));
        }
    }
    return tree;
}

QByteArray baseLanguageFileOfProgram(const QString &dataDir)
{
    const std::unique_ptr<Forms> forms = Forms::create(dataDir);
    forms->DM->saveOnExit = false;
    forms->DM->LoadDataSets();
    TfImport import(forms->DM.get(), forms->fQuotaly.get());
    TfSplash splash(forms->fQuotaly.get());
    TfAbout about(forms->fQuotaly.get());
    TfWait wait(forms->fQuotaly.get());
    TfLangManager manager({});
    const QList<QWidget *> windows{forms->fQuotaly.get(),      forms->fPersonal.get(),     forms->fClients.get(),
                                   forms->fNewClient.get(),    forms->fCurrency.get(),     forms->fExportReport.get(),
                                   forms->fMatchResults.get(), forms->fInvoice.get(),      static_cast<QWidget *>(&import),
                                   static_cast<QWidget *>(&splash), static_cast<QWidget *>(&about),
                                   static_cast<QWidget *>(&wait),   static_cast<QWidget *>(&manager),
                                   static_cast<QWidget *>(manager.findDialog())};
    TDM &dm = *forms->DM;
    const QByteArray bytes = LanguageFile::encode(baseLanguageTree(
        windows, {dm.Personal, dm.Clients, dm.Currency, dm.MatchesByClient, dm.OptionsByClient, dm.tmpMatches}));
    return bytes;
}

} // namespace quotaly
