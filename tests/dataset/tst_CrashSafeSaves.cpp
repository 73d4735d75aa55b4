// Saves that a crash cannot spoil: a child process saves a large client list, a language file and a client export
// over and over, two versions taking turns, and is killed with SIGKILL at random moments. After every kill each file
// must read back as one whole version, the old or the new, never a mix or a cut.
#include "clients/ExportFile.h"
#include "common/TestEnv.h"
#include "dataset/Dataset.h"
#include "lang/LanguageFile.h"

#include <csignal>
#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace quotaly;
Q_DECLARE_METATYPE(std::function<void(const QString &)>)
using namespace Qt::StringLiterals;

namespace {

constexpr int kKills = 200;
constexpr int kClients = 10000;

// One of two versions of each file; the versions differ in every row, so a mix of them reads as neither.
Datapacket clients(int version)
{
    Datapacket packet;
    packet.fields = {FieldDef::text(u"FULLNAME"_s, 100), FieldDef::text(u"City"_s, 50), FieldDef::integer(u"Code"_s)};
    for (int i = 0; i < kClients; ++i)
        packet.rows.append({u"Client %1 Šťěpán Ærø v%2"_s.arg(i).arg(version), u"Zürich %1"_s.arg(version), qint64(i)});
    return packet;
}

LanguageTree language(int version)
{
    LanguageTree tree;
    for (int form = 0; form < 200; ++form) {
        tree.append(0, u"fForm%1"_s.arg(form));
        for (int c = 0; c < 10; ++c) {
            tree.append(1, u"Label%1"_s.arg(c));
            tree.append(2, u"Caption=Übersetzung %1.%2 v%3"_s.arg(form).arg(c).arg(version));
        }
    }
    return tree;
}

ExportTable exportTable(int version)
{
    ExportTable table;
    table.captions = {u"FULLNAME"_s, u"City"_s};
    for (int i = 0; i < 5000; ++i)
        table.addRow({u"Client %1 v%2"_s.arg(i).arg(version), u"Zürich"_s});
    return table;
}

struct Files
{
    QString clients, language, exported;
    explicit Files(const QString &dir)
        : clients(dir + u"/Clients.xml"_s), language(dir + u"/Test.lng"_s), exported(dir + u"/clients.csv"_s)
    {
    }
};

// Both versions of every file's content, made once.
struct Versions
{
    Datapacket packets[2] = {clients(0), clients(1)};
    LanguageTree trees[2] = {language(0), language(1)};
    ExportTable tables[2] = {exportTable(0), exportTable(1)};
};

// Writes one version of every file; `tell` reports the start and the end of each save.
void saveVersion(const Files &files, const Versions &content, int version,
                 const std::function<void(const char *)> &tell = {})
{
    const auto step = [&](const std::function<void()> &save) {
        if (tell)
            tell("<");
        save();
        if (tell)
            tell(">");
    };
    Dataset dataset(u"Clients"_s);
    dataset.loadFromPacket(content.packets[version]);
    step([&] { dataset.saveToFile(files.clients); });
    step([&] { LanguageFile::write(files.language, content.trees[version]); });
    step([&] { writeExportFile(files.exported, ExportFormat::Csv, content.tables[version]); });
}

// The child: says when it is ready, then saves both versions in turn until it is killed, telling the parent when
// a save is under way.
int saveLoop(const QString &dir)
{
    const Files files(dir);
    const Versions content;
    const auto tell = [](const char *mark) {
        std::fputs(mark, stdout);
        std::fflush(stdout);
    };
    tell("R");
    for (int version = 0;; version ^= 1)
        saveVersion(files, content, version, tell);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_CrashSafeSaves : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSaving();
    void fullDisk_data();
    void fullDisk();
};

void tst_CrashSafeSaves::killedWhileSaving()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("a kill loop under the sanitizers takes minutes; the normal build runs it");
#endif
    QTemporaryDir versions;
    QTemporaryDir work;
    QVERIFY(versions.isValid() && work.isValid());
    // The bytes of both versions of each file, written once without interruption.
    const Versions content;
    QList<Files> expected;
    for (int version = 0; version < 2; ++version) {
        QDir(versions.path()).mkdir(QString::number(version));
        expected.append(Files(versions.filePath(QString::number(version))));
        saveVersion(expected.last(), content, version);
    }
    saveVersion(Files(work.path()), content, 0);

    const Files files(work.path());
    const QList<QString Files::*> members{&Files::clients, &Files::language, &Files::exported};
    QRandomGenerator random(20261209);
    int killsMidSave = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--save-loop"_s, work.path()});
        QVERIFY(child.waitForStarted());
        while (!child.peek(1).startsWith('R'))
            QVERIFY2(child.waitForReadyRead(10000), "the saving process did not start");
        QThread::msleep(random.bounded(0, 40));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());

        for (const auto member : members) {
            const QByteArray now = bytesOf(files.*member);
            const bool whole = now == bytesOf(expected[0].*member) || now == bytesOf(expected[1].*member);
            QVERIFY2(whole, qPrintable(u"kill %1 left %2 neither old nor new"_s.arg(kill).arg(files.*member)));
        }
        // Every file still loads as the program reads it.
        Dataset dataset(u"Clients"_s);
        dataset.loadFromFile(files.clients);
        QCOMPARE(dataset.recordCount(), kClients);
        QCOMPARE(LanguageFile::read(files.language).size(), language(0).size());
        killsMidSave += child.readAllStandardOutput().endsWith('<') ? 1 : 0;
    }
    qInfo("%d of %d kills interrupted a save", killsMidSave, kKills);
    // Most kills must have hit a save under way, or the test proved nothing.
    QVERIFY2(killsMidSave > kKills / 4, qPrintable(u"only %1 kills interrupted a save"_s.arg(killsMidSave)));
}

// Every kind of save on a full disk: one clear message, the previous file as it was, and the next save works.
void tst_CrashSafeSaves::fullDisk_data()
{
    QTest::addColumn<std::function<void(const QString &)>>("save");
    QTest::newRow("data file") << std::function<void(const QString &)>([](const QString &path) {
        Dataset dataset(u"Clients"_s);
        dataset.loadFromPacket(clients(1));
        dataset.saveToFile(path);
    });
    // Smaller than a file's write buffer: written at the commit, where a short write was once taken for success.
    QTest::newRow("small data file") << std::function<void(const QString &)>([](const QString &path) {
        Dataset dataset(u"Clients"_s);
        Datapacket packet = clients(1);
        packet.rows.resize(60);
        dataset.loadFromPacket(packet);
        dataset.saveToFile(path);
    });
    QTest::newRow("language file") << std::function<void(const QString &)>(
        [](const QString &path) { LanguageFile::write(path, language(1)); });
    QTest::newRow("client export") << std::function<void(const QString &)>(
        [](const QString &path) { writeExportFile(path, ExportFormat::Csv, exportTable(1)); });
}

void tst_CrashSafeSaves::fullDisk()
{
    QFETCH(std::function<void(const QString &)>, save);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"file"_s);
    const QByteArray old("the previous version");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    file.close();
    QString message;
    {
        const test::FileSizeLimit full(4096);
        try {
            save(path);
        } catch (const Error &e) {
            message = e.text();
        }
    }
    QVERIFY2(message.contains(u"the disk may be full"_s) && message.contains(path), qPrintable(message));
    QCOMPARE(bytesOf(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"file"_s});
    save(path); // room again: the save goes through
    QVERIFY(bytesOf(path) != old);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArrayView(argv[1]) == "--save-loop")
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    tst_CrashSafeSaves test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CrashSafeSaves.moc"
