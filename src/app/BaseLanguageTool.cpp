// Writes base.lng from the program's windows: quotaly-base-lng DATA_DIR OUT_FILE
#include "AppPaths.h"
#include "BaseLanguageFile.h"
#include "dataset/AtomicFile.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        err << "Usage: quotaly-base-lng DATA_DIR OUT_FILE\n";
        return 1;
    }
    // The windows are made over a copy of the shipped data, so the data folder itself is never touched.
    QTemporaryDir work;
    const QString data = work.filePath(QStringLiteral("Data/"));
    if (const QString error = quotaly::copyTree(args.at(1), data); !error.isEmpty()) {
        err << error << '\n';
        return 2;
    }
    if (const QString error = quotaly::tryWriteFileAtomically(args.at(2), quotaly::baseLanguageFileOfProgram(data));
        !error.isEmpty()) {
        err << "Cannot write " << args.at(2) << ": " << error << '\n';
        return 2;
    }
    return 0;
}
