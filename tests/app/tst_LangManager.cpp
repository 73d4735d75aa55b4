// A translator's session in the language manager, with the whole program running: a refused name, a new language,
// typing, replacing, the program switched to the new language, a save that fails, and the language removed.
#include "ProgramFixture.h"
#include "common/ScriptedDialogs.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageRows.h"
#include "lang/LanguageText.h"
#include "lang/TfLangManager.h"
#include "lang/TfReplace.h"
#include "lang/TkvLang.h"
#include "ui/DataGrid.h"

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>

using namespace quotaly;
using namespace quotaly::test;
using namespace Qt::StringLiterals;

namespace {

// What a CAT tool does to the exported file: a target filled in, everything else as it was.
const char *const kFillTarget = R"(
import sys, xml.etree.ElementTree as ET
ns = 'urn:oasis:names:tc:xliff:document:1.2'
ET.register_namespace('', ns)
tree = ET.parse(sys.argv[1])
for unit in tree.getroot().iter('{%s}trans-unit' % ns):
    if unit.get('id') == 'fQuotaly.aMatchResults.Caption':
        target = unit.find('{%s}target' % ns)
        if target is None:
            target = ET.SubElement(unit, '{%s}target' % ns)
        target.text = 'Rechnen'
tree.write(sys.argv[1], encoding='UTF-8', xml_declaration=True)
)";

int rowWithKey(TfLangManager &m, const QString &key)
{
    const int row = m.rows().rowOf(key);
    if (row < 0)
        qFatal("no row %s", qPrintable(key));
    return row;
}

} // namespace

class tst_LangManager : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestEnv::clearSettings(); }
    void translatorSession();
    void titlesAndUntranslatedRows();
};

void tst_LangManager::translatorSession()
{
    TestEnv env;
    Program p(dataWithSubscribedAcme(env));
    p.waitForStart();
    ScriptedDialogs dialogs;
    TkvLang *lang = p.w->kvLang1();
    const QString file = lang->langDir() + u"Test.lng"_s;

    TfLangManager m({lang});
    m.LangDir = lang->langDir();
    m.show();
    QCOMPARE(m.dbgLang()->columnTitle(LanguageRows::kTranslationField.toString()), u"not selected"_s);

    // Names that would write outside the folder or over the base file are refused.
    dialogs.inputs = {u"../Test"_s, u"base"_s, u"English"_s, u""_s};
    for (int i = 0; i < 4; ++i)
        m.aAddLangExecute();
    QCOMPARE(dialogs.messages.size(), 4);
    for (const QString &text : std::as_const(dialogs.messages))
        QVERIFY2(text.startsWith(u"Wrong file name! Please try again."_s), qPrintable(text));
    QVERIFY(!QFile::exists(file));

    // A new language without the English texts: every text is marked untranslated.
    dialogs.inputs = {u"Test"_s};
    dialogs.answers = {false};
    m.aAddLangExecute();
    QCOMPARE(dialogs.questions.last(), u"Leave English equivalent?"_s);
    const LanguageTree base = LanguageFile::read(lang->langDir() + u"base.lng"_s);
    const LanguageTree added = LanguageFile::read(file);
    QCOMPARE(added.size(), base.size());
    for (int e = 0; e < base.size(); ++e) {
        const LanguageRowKey key = languageRowKey(base, e);
        const QString expected = key.value.isEmpty() ? base.text(e) : propertyName(base.text(e)) + u"=<<untranslated>>"_s;
        QCOMPARE(added.text(e), expected);
    }
    QVERIFY(lang->menuEntry(u"Test"_s));
    QCOMPARE(m.cbCurLang()->currentText(), u"Test"_s);

    // The same name again, this time keeping the English texts, over the file.
    dialogs.inputs = {u"Test"_s};
    dialogs.answers = {true, true};
    m.aAddLangExecute();
    QCOMPARE(dialogs.questions.mid(dialogs.questions.size() - 2),
             (QStringList{u"File exist! Overwrite them?"_s, u"Leave English equivalent?"_s}));
    QCOMPARE(LanguageFile::read(file), base);

    // Two lines typed into the "Translated" pane are one line in the file.
    const int hint = rowWithKey(m, u"fQuotaly.aFileExit.Hint"_s);
    m.dbgLang()->setCurrentDatasetRow(hint);
    auto *translated = m.findChild<QPlainTextEdit *>(u"dbmTranslated"_s);
    translated->selectAll();
    QTest::keyClicks(translated, u"Beenden"_s);
    QTest::keyClick(translated, Qt::Key_Return);
    QTest::keyClicks(translated, u"Quotaly schließen"_s);
    QVERIFY(m.findChild<QAction *>(u"aSaveLangFiles"_s)->isEnabled());
    m.aSaveLangFilesExecute();
    QVERIFY(LanguageFile::readText(file).contains(u"\t\tHint=Beenden:|:Quotaly schließen\r\n"_s));

    // Replace All over the translations, letters of any case.
    TfReplace *replace = m.findDialog();
    replace->findChild<QLineEdit *>(u"eText"_s)->setText(u"Calculate"_s);
    replace->findChild<QLineEdit *>(u"eReplace"_s)->setText(u"Berechnen"_s);
    replace->findChild<QRadioButton *>(u"rbAll"_s)->setChecked(true);
    replace->setMode(1);
    replace->btnReplaceAllClick();
    QCOMPARE(dialogs.messages.last(),
             u"Language Manager has completed its search of the document and has made 6 replacements."_s);
    m.aSaveLangFilesExecute();

    // The program in the new language.
    lang->menuEntry(u"Test"_s)->trigger();
    QCOMPARE(p.find<QAction>("aMatchResults")->text(), u"Berechnen"_s);

    // A save that cannot be written says so, keeps the old file and the edits, and keeps the window open.
    const QByteArray before = TestEnv::read(file);
    m.dbgLang()->setCurrentDatasetRow(hint);
    translated->selectAll();
    QTest::keyClicks(translated, u"Ende"_s);
    {
        const FileSizeLimit full(1024); // a full disk
        m.aSaveLangFilesExecute();
        QVERIFY(m.close() == false);
    }
    QVERIFY2(dialogs.messages.last().contains(u"Nothing was written"_s), qPrintable(dialogs.messages.last()));
    QCOMPARE(TestEnv::read(file), before);
    QVERIFY(m.isVisible());
    QCOMPARE(m.rows().translation(hint), u"Ende"_s);

    // A round trip through a CAT tool: exported, one target filled in by another program, taken back and saved.
    const QString xlf = env.path(u"Test.xlf"_s);
    dialogs.fileNames = {xlf, xlf};
    dialogs.inputs = {u"de"_s}; // "Test" is no language name a code can be guessed from
    m.aExportXliffExecute();
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s, QString::fromLatin1(kFillTarget), xlf});
    QVERIFY2(python.waitForFinished() && python.exitCode() == 0, python.readAllStandardError().constData());
    m.aImportXliffExecute();
    QVERIFY2(dialogs.messages.last().startsWith(u"1 translations taken from"_s), qPrintable(dialogs.messages.last()));
    m.aSaveLangFilesExecute();
    QVERIFY(LanguageFile::readText(file).contains(u"\taMatchResults\r\n\t\tCaption=Rechnen\r\n"_s));

    // Choosing another language saves the changes of the one shown first.
    m.dbgLang()->setCurrentDatasetRow(hint);
    translated->selectAll();
    QTest::keyClicks(translated, u"Schluss"_s);
    m.cbCurLang()->setCurrentIndex(m.cbCurLang()->findText(u"German"_s));
    QVERIFY(LanguageFile::readText(file).contains(u"\t\tHint=Schluss\r\n"_s));
    m.cbCurLang()->setCurrentIndex(m.cbCurLang()->findText(u"Test"_s));

    // Removing the language the program shows: file and menu entry gone, the program back in English.
    dialogs.answers = {true};
    m.aDelLangExecute();
    QCOMPARE(dialogs.questions.last(), u"Delete current Language?\r\n(Test)"_s);
    QVERIFY(!QFile::exists(file));
    QVERIFY(!lang->menuEntry(u"Test"_s));
    QCOMPARE(lang->CurrentLanguage, u"English"_s);
    QCOMPARE(p.find<QAction>("aMatchResults")->text(), u"Calculate"_s);
    QVERIFY(m.close());
    p.exit();
}

// The title sort cycle and the two untranslated searches, on a small language folder of its own.
void tst_LangManager::titlesAndUntranslatedRows()
{
    TestEnv env;
    const QString dir = env.dir() + u'/';
    LanguageFile::write(dir + u"base.lng"_s, LanguageFile::parse(u"f\n\ta\n\t\tCaption=Beta\n\t\tHint= \n\tb\n"
                                                                   "\t\tCaption=Alpha\n\tc\n\t\tCaption=Gamma\n\td\n"
                                                                   "\t\tCaption=Delta\n"_s));
    LanguageFile::write(dir + u"X.lng"_s, LanguageFile::parse(u"f\n\ta\n\t\tCaption=<<untranslated>>\n\tb\n"
                                                                "\t\tCaption=Alpha\n\tc\n\t\tCaption=G\n\td\n"
                                                                "\t\tCaption=<<untranslated>>\n"_s));
    ScriptedDialogs dialogs;
    TfLangManager m({});
    m.LangDir = dir;
    m.show();
    m.cbCurLang()->setCurrentIndex(0);
    ui::DataGrid *grid = m.dbgLang();
    const QString value = LanguageRows::kValueField.toString();
    const auto shown = [&] {
        QStringList values;
        for (int row : grid->displayedDatasetRows())
            values << m.rows().value(row);
        return values.join(u',');
    };
    QCOMPARE(shown(), u"Beta,Alpha,Gamma,Delta"_s); // file order, the one-space hint hidden
    m.dbgLangTitleClick(0); // the first click on Property counts as the second on the column sorted last
    QCOMPARE(grid->columnTitle(LanguageRows::kPropertyField.toString()), u"Property (up) "_s);

    const struct
    {
        int column;
        QString order, title;
    } clicks[] = {{1, u"Alpha,Beta,Delta,Gamma"_s, u"Value (down) "_s},
                  {1, u"Gamma,Delta,Beta,Alpha"_s, u"Value (up) "_s},
                  {1, u"Beta,Alpha,Gamma,Delta"_s, u"Value"_s}};
    for (const auto &click : clicks) {
        m.dbgLangTitleClick(click.column);
        QCOMPARE(shown(), click.order);
        QCOMPARE(grid->columnTitle(value), click.title);
    }
    const QString stops = [&] {
        QStringList seen;
        grid->setCurrentDatasetRow(2);
        for (int i = 0; i < 3; ++i) {
            m.aFindNextUnTranslExecute();
            seen << m.rows().value(m.rows().dataset().recNo());
        }
        for (int i = 0; i < 3; ++i) {
            m.aFindPriorUnTranslExecute();
            seen << m.rows().value(m.rows().dataset().recNo());
        }
        return seen.join(u',');
    }();
    // Down stops at "<<untranslated>>" and at a copy of the English text; up only at "<<untranslated>>".
    QCOMPARE(stops, u"Alpha,Delta,Delta,Beta,Beta,Beta"_s);
    QVERIFY(!m.findChild<QAction *>(u"aFindPriorUnTransl"_s)->isEnabled());
}

QTEST_MAIN(tst_LangManager)
#include "tst_LangManager.moc"
