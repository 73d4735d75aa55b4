// Every reader of outside files, and the check invoice templates pass, against what a careless or hostile sender
// can hand over: nothing, a folder, a file nobody may read, random bytes, NUL bytes, XML nested beyond reason and a
// 200 MB file each give a message naming the file and change nothing; a good file under a path with spaces and
// accents reads as any other.
#include "clients/ClientImportParser.h"
#include "common/TestEnv.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "lang/LanguageFile.h"
#include "office/OfficeTypes.h"
#include "trados/AnalysisReader.h"

#include <functional>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace quotaly;
using namespace quotaly::test;
using namespace Qt::StringLiterals;

namespace {

/// Reads a file as the program would; returns the message the user is shown, empty when it read well.
using Reader = std::function<QString(const QString &path)>;

template <typename F> QString messageOf(F &&read)
{
    try {
        read();
    } catch (const Error &e) {
        return e.text().isEmpty() ? u"(an error without a message)"_s : e.text();
    }
    return {};
}

QString readDataFile(const QString &path)
{
    Dataset clients(u"Clients"_s);
    clients.setFields({FieldDef::text(u"FULLNAME"_s, 50)});
    clients.createDataSet();
    clients.appendRecord({u"Kept"_s});
    const QString message = messageOf([&] { clients.loadFromFile(path); });
    // A failed load leaves the dataset as it was.
    if (!message.isEmpty() && (clients.recordCount() != 1 || clients.valueAt(0, 0).toString() != u"Kept"))
        return {};
    return message;
}

QString readAnalysis(const QString &path)
{
    QString told;
    QString message = messageOf([&] {
        if (!readAnalysisReport(path, [&](const QString &text) { told += text; }))
            told = told.isEmpty() ? u"(nothing read, nothing said)"_s : told;
    });
    return message.isEmpty() ? told : message;
}

struct Format
{
    const char *name;
    QByteArray good; ///< a small file the reader takes
    QString extension;
    Reader read;
    bool xml = false;        ///< nested XML is only hostile to a reader that parses XML
    bool emptyIsFine = false; ///< an empty file is a valid one (a language without texts, an import of nobody)
};

QList<Format> formats()
{
    Datapacket packet;
    packet.fields = {FieldDef::text(u"FULLNAME"_s, 50)};
    packet.rows = {{u"Müller & Söhne"_s}};
    return {
        {"data file", writeDatapacket(packet), u".xml"_s, readDataFile, true},
        {"language file", QByteArray("fMain\n\tCaption=Quotaly\n"), u".lng"_s,
         [](const QString &path) { return messageOf([&] { LanguageFile::read(path); }); }, false, true},
        {"client import", QByteArray("Name,City\nAcme,Zürich\n"), u".csv"_s,
         [](const QString &path) { return messageOf([&] { readImportFileLines(path); }); }, false, true},
        {"analysis report", fixture(u"trados/single_file.log"_s), u".log"_s, readAnalysis},
        {"analysis report (XML)", fixture(u"trados/reports/studio_locked_internal.xml"_s), u".xml"_s, readAnalysis, true},
        // The check a template passes before the word processor gets it.
        {"invoice template", QByteArray("{\\rtf1\\ansi Invoice {\\b No.}\\par}"), u".rtf"_s,
         office::templateFileProblem, true},
    };
}

QByteArray deeplyNested()
{
    constexpr int kDepth = 100000;
    return QByteArray("<?xml version=\"1.0\"?>") + QByteArray("<a>").repeated(kDepth) +
           QByteArray("</a>").repeated(kDepth);
}

QByteArray randomBytes()
{
    QRandomGenerator random(20261209);
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

class tst_HostileInputs : public QObject
{
    Q_OBJECT

private slots:
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void goodFileUnderAnAwkwardPath_data();
    void goodFileUnderAnAwkwardPath();
};

void tst_HostileInputs::badFilesAreRefused_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("kind");
    const QStringList kinds{u"empty"_s,  u"folder"_s,        u"unreadable"_s, u"random bytes"_s,
                            u"NUL bytes"_s, u"nested XML"_s, u"200 MB"_s};
    const QList<Format> all = formats();
    for (int f = 0; f < all.size(); ++f) {
        for (const QString &kind : kinds) {
            if ((kind == u"nested XML" && !all.at(f).xml) || (kind == u"empty" && all.at(f).emptyIsFine))
                continue;
            QTest::addRow("%s, %s", all.at(f).name, qPrintable(kind)) << f << kind;
        }
    }
}

void tst_HostileInputs::badFilesAreRefused()
{
    QFETCH(int, format);
    QFETCH(QString, kind);
    const Format f = formats().at(format);
    TestEnv env;
    const QString path = env.path(u"input"_s + f.extension);
    if (kind == u"folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == u"200 MB") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(200LL * 1024 * 1024)); // sparse: NUL bytes
    } else {
        const QByteArray bytes = kind == u"random bytes" ? randomBytes()
                                 : kind == u"NUL bytes"  ? QByteArray(64 * 1024, '\0')
                                 : kind == u"nested XML" ? deeplyNested()
                                 : kind == u"unreadable" ? f.good
                                                         : QByteArray();
        env.write(QFileInfo(path).fileName(), bytes);
    }
    const QByteArray before = kind == u"folder" || kind == u"200 MB" ? QByteArray() : TestEnv::read(path);

    QString message;
    if (kind == u"unreadable") {
        QVERIFY(QFile::setPermissions(path, {}));
        openToEveryone(env.dir());
        const Unprivileged user; // root reads any file
        if (!user.ok())
            QSKIP("cannot give up root's rights here, and root reads any file");
        message = f.read(path);
    } else {
        message = f.read(path);
    }
    QVERIFY2(!message.isEmpty(), "the reader took it, or refused it without a message");
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)) || message.contains(QFileInfo(path).fileName()),
             qPrintable(u"the message does not name the file: "_s + message));
    if (!before.isEmpty()) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(TestEnv::read(path), before);
    }
}

void tst_HostileInputs::goodFileUnderAnAwkwardPath_data()
{
    QTest::addColumn<int>("format");
    const QList<Format> all = formats();
    for (int f = 0; f < all.size(); ++f)
        QTest::newRow(all.at(f).name) << f;
}

void tst_HostileInputs::goodFileUnderAnAwkwardPath()
{
    QFETCH(int, format);
    const Format f = formats().at(format);
    TestEnv env;
    const QString path = env.write(u"Ordner mit Leerzeichen/Übersetzung été ñ"_s + f.extension, f.good);
    QCOMPARE(f.read(path), QString());
}

QTEST_GUILESS_MAIN(tst_HostileInputs)
#include "tst_HostileInputs.moc"
