// Runs a fuzz target over the files of its corpus once, without libFuzzer, so that every input that ever found a
// fault (and the seeds) is tried again in each test run, with any compiler and under the sanitizers.
// Usage: replay_<target> CORPUS_FOLDER

#include <cstdint>
#include <cstdio>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    QDirIterator files(QString::fromLocal8Bit(argv[1]), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::printf("%s\n", qPrintable(file.fileName()));
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
        ++inputs;
    }
    if (inputs == 0) {
        std::fprintf(stderr, "the corpus %s holds no inputs\n", argv[1]);
        return 1;
    }
    std::printf("%d inputs replayed\n", inputs);
    return 0;
}
