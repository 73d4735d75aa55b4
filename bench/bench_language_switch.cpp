// Switching the whole interface to German and back: every window of the program made and shown (offscreen),
// then the language chosen through the Languages menu. Prints the median of several switches.
#include "MedianTimer.h"
#include "app/AppPaths.h"
#include "app/Forms.h"
#include "app/TDM.h"
#include "app/TfQuotaly.h"
#include "lang/TkvLang.h"

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

constexpr int kRuns = 9;

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir work;
    const QString data = work.filePath(QStringLiteral("Data/"));
    copyTree(QStringLiteral(QUOTALY_RUNTIME_DIR "/Data"), data);
    copyTree(QStringLiteral(QUOTALY_RUNTIME_DIR "/Lang"), work.filePath(QStringLiteral("Lang")));
    const std::unique_ptr<Forms> forms = Forms::create(data);
    forms->DM->saveOnExit = false;
    forms->DM->LoadDataSets();
    // Every window but the main one, whose first show would start the program (and ask about the newsletter).
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != forms->fQuotaly.get())
            w->show();
    }
    QApplication::processEvents();
    TkvLang *lang = forms->fQuotaly->kvLang1();
    QAction *german = lang->menuEntry(QStringLiteral("German"));
    QAction *english = lang->menuEntry(QStringLiteral("English"));
    const double toGerman = medianMs(kRuns, [&] {
        english->trigger();
        german->trigger();
    });
    const double both = medianMs(kRuns, [&] {
        german->trigger();
        english->trigger();
    });
    std::printf("Switch every window to German and back (aim <= 50 ms): %.1f ms (English->German pair %.1f ms)\n",
                both, toGerman);
    return 0;
}
