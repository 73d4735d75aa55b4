// Feeds arbitrary bytes to the language-file reader. A file is either refused with its line number or read into a
// tree that writes out and reads back to the same tree and bytes, and that matches itself as its own base file;
// anything else is a crash for the fuzzer to report.

#include "lang/LanguageComparison.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageLookup.h"

#include <cstdint>
#include <cstdlib>

using namespace quotaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = LanguageFile::decode(input);
    QList<LanguageParseProblem> problems;
    const LanguageTree lenient = LanguageFile::check(text, &problems);
    LanguageTree tree;
    try {
        tree = LanguageFile::parse(text);
    } catch (const LanguageFileError &error) {
        if (problems.isEmpty() || problems.first().line != error.line() || error.line() < 1)
            std::abort(); // the strict and the lenient reading disagree
        return 0;
    }
    if (!problems.isEmpty() || !(lenient == tree))
        std::abort();

    const QByteArray written = LanguageFile::encode(tree);
    const LanguageTree back = LanguageFile::parse(LanguageFile::decode(written));
    if (!(back == tree) || LanguageFile::encode(back) != written)
        std::abort(); // a round trip changed the tree

    const LanguageComparison self = compareWithBase(tree, tree);
    if (!self.matches() || !self.untranslated.isEmpty())
        std::abort();
    for (const int section : tree.children(LanguageTree::kNone)) {
        for (const TextProperty &property : formProperties(tree, section)) {
            if (tree.parent(property.entry) != section)
                std::abort();
        }
    }
    return 0;
}
