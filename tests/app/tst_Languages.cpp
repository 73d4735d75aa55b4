// The interface in another language: base.lng made from the windows, a language applied through the menu to every
// listed text and back, windows opened later, a failed load, and the language kept across a restart.
#include "ProgramFixture.h"
#include "app/BaseLanguageFile.h"
#include "common/ScriptedDialogs.h"
#include "dataset/Dataset.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageLookup.h"
#include "lang/LanguageText.h"
#include "lang/TkvLang.h"
#include "reports/TfExportReport.h"
#include "ui/DbLookupComboBox.h"
#include "ui/TextProperties.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

using namespace quotaly;
using namespace quotaly::test;
using namespace Qt::StringLiterals;
namespace tp = quotaly::ui::text_properties;

namespace {

const QString kBaseFile = QStringLiteral(QUOTALY_RUNTIME_DIR "/Lang/base.lng");

// Every value made longer and written with letters outside Latin-1, so that nothing can pass unchanged.
QString pseudo(const QString &value)
{
    return u"Ѱ"_s + value + u" ǅŁ"_s;
}

LanguageTree pseudoTree()
{
    LanguageTree tree = LanguageFile::read(kBaseFile);
    for (int e = 0; e < tree.size(); ++e) {
        const QString line = tree.text(e);
        if (tree.level(e) == 0 || !line.contains(u'=') || listKind(line) != LanguageListKind::None)
            continue;
        tree.setText(e, propertyName(line) + u'=' + pseudo(propertyValue(line)));
    }
    return tree;
}

struct Listed
{
    QObject *object;
    QString property;
    QString value; ///< as base.lng has it, with ":|:"
};

// What base.lng lists for the windows of a running program (lists are left to the item test of the codec).
QList<Listed> listedTexts(const Program &p)
{
    const LanguageTree base = LanguageFile::read(kBaseFile);
    QList<Listed> listed;
    for (int section : base.children(LanguageTree::kNone)) {
        QWidget *form = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == base.text(section) && tp::formOf(w) == w)
                form = w;
        }
        if (!form)
            continue; // a window that is made only when needed, or the data module
        for (int child : base.children(section)) {
            const QList<int> lines = base.hasChildren(child) ? base.children(child) : QList<int>{child};
            QObject *object = form;
            if (base.hasChildren(child)) {
                object = nullptr;
                for (QObject *c : tp::componentsOf(form)) {
                    if (!object && c->objectName() == base.text(child))
                        object = c;
                }
            }
            if (!object)
                qFatal("base.lng names %s, which the window does not have", qPrintable(entryPath(base, child)));
            for (int line : lines) {
                if (listKind(base.text(line)) == LanguageListKind::None)
                    listed.append({object, propertyName(base.text(line)), propertyValue(base.text(line))});
            }
        }
    }
    Q_UNUSED(p);
    return listed;
}

QString shown(const Listed &l)
{
    return toLineMarkers(tp::get(l.object, l.property).value_or(u"<none>"_s));
}

} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void baseLngIsMadeFromTheWindows()
    {
        test::TestEnv env;
        const QByteArray made = baseLanguageFileOfProgram(env.shippedDataDir());
        QVERIFY2(made == test::TestEnv::read(kBaseFile),
                 "runtime/Lang/base.lng differs from the windows: build the target base-lng and commit the file");
    }

    void languageReachesEveryListedTextAndGoesBack()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        LanguageFile::write(env.path(u"Lang/Pseudo.lng"_s), pseudoTree());
        QString caption;
        {
            Program p(dir);
            p.waitForStart();
            const QList<Listed> listed = listedTexts(p);
            QVERIFY(listed.size() > 150);
            Dataset *report = p.forms->DM->tmpMatches;
            auto *valuta = p.find<QComboBox>("cbValuta");
            const QString currency = valuta->itemText(valuta->count() - 1);

            p.w->kvLang1()->menuEntry(u"Pseudo"_s)->trigger();
            for (const Listed &l : listed)
                QCOMPARE(shown(l), pseudo(l.value));
            QCOMPARE(report->field(report->fieldIndex(u"Amount"_s)).label(), pseudo(u"Amount"_s));
            QCOMPARE(p.find<QLabel>("LastClient")->text(), u"Acme"_s); // state is never translated
            QCOMPARE(p.w->lcClient()->text(), u"Acme"_s);
            QCOMPARE(valuta->itemText(valuta->count() - 1), currency);
            QCOMPARE(p.forms->fExportReport->cbLang()->currentText(), u"Pseudo"_s);
            onNextModal([&](QWidget *about) {
                caption = about->windowTitle();
                about->close();
            });
            p.w->findChild<QAction *>(u"aAbout"_s)->trigger(); // made after the change
            QCOMPARE(caption, pseudo(u"About Quotaly"_s));

            p.w->kvLang1()->menuEntry(u"English"_s)->trigger();
            for (const Listed &l : listed)
                QCOMPARE(shown(l), l.value);
            QCOMPARE(report->field(report->fieldIndex(u"Amount"_s)).label(), u"Amount"_s);

            p.w->kvLang1()->menuEntry(u"Pseudo"_s)->trigger();
            QVERIFY(dialogs.messages.isEmpty());
            p.exit();
        }
        Program again(dir); // the language is remembered
        again.waitForStart();
        QCOMPARE(again.w->currentLanguage(), u"Pseudo"_s);
        QCOMPARE(again.w->windowTitle(), pseudo(u"Quotaly 1.0"_s));
        again.exit();
    }

    // Without its base.lng the program starts in the texts its windows were built with, saying so once.
    void missingBaseLngNeverStopsTheStart_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::newRow("base language") << u"English"_s;
        QTest::newRow("a language that is gone too") << u"Klingon"_s;
    }

    void missingBaseLngNeverStopsTheStart()
    {
        QFETCH(QString, remembered);
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        QFile::remove(env.path(u"Lang/base.lng"_s));
        appSettings().setValue(u"kvLang1.CurrentLanguage"_s, remembered);
        Program p(dir);
        p.waitForStart();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(p.w->lcClient()->text(), u"Acme"_s);
        QCOMPARE(p.w->currentLanguage(), u"English"_s);
        QCOMPARE(p.w->windowTitle(), u"Quotaly 1.0"_s);
        p.exit();
    }

    void failedLoadChangesNothing()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        env.write(u"Lang/Broken.lng"_s, "fQuotaly\r\n\tCaption=Kaputt\r\n\t\t\tdeep\r\n");
        Program p(dir);
        p.waitForStart();
        TkvLang *lang = p.w->kvLang1();
        lang->menuEntry(u"Broken"_s)->trigger();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.first().contains(u"Invalid level (3) for item \"deep\""_s),
                 qPrintable(dialogs.messages.first()));
        QCOMPARE(lang->CurrentLanguage, u"English"_s);
        QVERIFY(lang->menuEntry(u"English"_s)->isChecked());
        QCOMPARE(p.w->windowTitle(), u"Quotaly 1.0"_s);
        p.exit();
    }
};

QTEST_MAIN(TestLanguages)
#include "tst_Languages.moc"
