// The language manager on a language of 10,000 texts: opening it (base file read, rows built, shown) and choosing
// the language, one Find next that walks the whole table without a match, and Replace All of a word that stands
// in every fifth translation, all through the window as a user runs them (offscreen).
// Run: build/bench/bench_langmanager [texts (10000)]
#include "MedianTimer.h"
#include "lang/LanguageFile.h"
#include "lang/TfLangManager.h"
#include "lang/TfReplace.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"

#include <cstdio>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

// Answers every question No and shows nothing.
class QuietDialogs : public ui::QtDialogs
{
public:
    void message(QWidget *, const QString &, Kind) override {}
    bool question(QWidget *, const QString &) override { return false; }
};

// A base file and a translation of `texts` captions, 40 components to a form.
void writeLanguages(const QString &dir, int texts)
{
    LanguageTree base;
    LanguageTree german;
    for (int i = 0; i < texts; ++i) {
        if (i % 40 == 0) {
            base.append(0, QStringLiteral("fForm%1").arg(i / 40));
            german.append(0, QStringLiteral("fForm%1").arg(i / 40));
        }
        const QString component = QStringLiteral("Component%1").arg(i % 40);
        base.append(1, component);
        german.append(1, component);
        base.append(2, QStringLiteral("Caption=Open the selected file number %1 and show its contents").arg(i));
        const QString word = i % 5 == 0 ? QStringLiteral("Datei") : QStringLiteral("Akte");
        german.append(2, QStringLiteral("Caption=Die gewählte %1 Nummer %2 öffnen und ihren Inhalt zeigen").arg(word).arg(i));
    }
    LanguageFile::write(dir + QStringLiteral("base.lng"), base);
    LanguageFile::write(dir + QStringLiteral("German.lng"), german);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int texts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    QuietDialogs dialogs;
    ui::Dialogs::install(&dialogs);
    QTemporaryDir work;
    const QString dir = work.path() + u'/';
    writeLanguages(dir, texts);

    std::unique_ptr<TfLangManager> manager;
    const double open = medianMs(3, [&] {
        manager = std::make_unique<TfLangManager>(QList<TkvLang *>{});
        manager->LangDir = dir;
        manager->show();
        manager->cbCurLang()->setCurrentIndex(0);
        QApplication::processEvents();
    });
    TfReplace *replace = manager->findDialog();
    replace->findChild<QLineEdit *>(QStringLiteral("eText"))->setText(QStringLiteral("nowhere"));
    const double step = medianMs(11, [&] {
        manager->dbgLang()->setCurrentDatasetRow(2); // the first text shown
        replace->btnFindNextClick();
    });
    replace->findChild<QLineEdit *>(QStringLiteral("eText"))->setText(QStringLiteral("Datei"));
    replace->findChild<QLineEdit *>(QStringLiteral("eReplace"))->setText(QStringLiteral("Datei"));
    replace->findChild<QRadioButton *>(QStringLiteral("rbAll"))->setChecked(true);
    replace->setMode(1);
    const double all = medianMs(3, [&] {
        replace->OptionsChange();
        replace->btnReplaceAllClick();
    });
    const int replaced = replace->engine().replaceCount();
    std::printf("Language manager, %d texts: open and choose the language (aim <= 1000 ms): %.0f ms\n", texts, open);
    std::printf("  one Find next over the whole table (aim <= 50 ms): %.1f ms\n", step);
    std::printf("  Replace All, %d replacements (aim <= 2000 ms): %.0f ms\n", replaced, all);
    manager->rows().dataset().cancel();
    ui::Dialogs::install(nullptr);
    return replaced == texts / 5 ? 0 : 1;
}
