// Times reading a generated language file as the editor writes it (UTF-16LE, TAB indentation): forms with their
// own texts, components with captions and hints, and string lists; also the writing of the same tree.
// Run: build/bench/bench_langfile [megabytes (1)] [repetitions (21)]

#include "MedianTimer.h"
#include "dataset/Error.h"
#include "lang/LanguageFile.h"

#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

/// One form section: its caption and hint, then `components` components with a few texts each; every fifth one
/// holds a string list.
void appendForm(LanguageTree &tree, int form, int components)
{
    const QString name = QStringLiteral("fForm%1").arg(form);
    tree.append(0, name);
    tree.append(1, QStringLiteral("Caption=Fenster Nummer %1").arg(form));
    tree.append(1, QStringLiteral("Hint=Kurzer Hinweis|Ein längerer Hinweis für die Statuszeile"));
    for (int c = 0; c < components; ++c) {
        tree.append(1, QStringLiteral("Component%1").arg(c));
        tree.append(2, QStringLiteral("Caption=Schaltfläche %1 mit Text").arg(c));
        tree.append(2, QStringLiteral("Hint=Hinweis zu %1:|:zweite Zeile").arg(c));
        if (c % 5 == 0) {
            tree.append(2, QStringLiteral("Items=(TStrings)"));
            for (int i = 0; i < 4; ++i)
                tree.append(3, QStringLiteral("Item%1=Eintrag %1").arg(i));
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int megabytes = args.size() > 1 ? args.at(1).toInt() : 1;
    const int repetitions = args.size() > 2 ? args.at(2).toInt() : 21;

    LanguageTree tree;
    for (int form = 0; LanguageFile::encode(tree).size() < qint64(megabytes) << 20; ++form)
        appendForm(tree, form, 40);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("German.lng"));
    try {
        LanguageFile::write(path, tree);
        const qint64 bytes = QFile(path).size();
        LanguageTree read;
        const double readMs = medianMs(repetitions, [&] { read = LanguageFile::read(path); });
        if (!(read == tree))
            qFatal("the file did not read back to the tree it was written from");
        std::printf("read %.2f MB, %d entries: median %.2f ms over %d reads\n", double(bytes) / (1 << 20), read.size(),
                    readMs, repetitions);
        const double writeMs = medianMs(repetitions, [&] { LanguageFile::write(path, tree); });
        std::printf("write the same tree: median %.2f ms\n", writeMs);
    } catch (const Error &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
