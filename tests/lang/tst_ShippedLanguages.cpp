// The translations shipped with the program: the same entries as base.lng, every text translated, and no English
// left but texts that read the same in both languages.
#include "lang/LanguageComparison.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageLookup.h"
#include "lang/LanguageText.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

class TestShippedLanguages : public QObject
{
    Q_OBJECT

private slots:
    void complete_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("alike"); // texts that are the same in that language
        const QDir lang(QStringLiteral(QUOTALY_RUNTIME_DIR "/Lang"));
        QTest::newRow("German") << lang.filePath(u"German.lng"_s)
                                << QStringList{u"%"_s,       u"-"_s,           u"..."_s,       u"×"_s,
                                               u"OK"_s,      u"Fax"_s,         u"Fax: "_s,     u"E-Mail : "_s,
                                               u"Name : "_s, u"Quotaly 1.0"_s, u"Quotaly ™"_s, u"Version 1.0"_s,
                                               u"Support"_s};
    }

    void complete()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, alike);
        const LanguageTree base = LanguageFile::read(QStringLiteral(QUOTALY_RUNTIME_DIR "/Lang/base.lng"));
        const LanguageTree translated = LanguageFile::read(file);
        const LanguageComparison c = compareWithBase(translated, base);
        QVERIFY(c.matches());
        QVERIFY(c.untranslated.isEmpty());
        QCOMPARE(translated.size(), base.size());
        QFile shipped(file); // written back byte for byte, as the language editor will save it
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(LanguageFile::encode(translated), shipped.readAll());
        for (int e = 0; e < base.size(); ++e) {
            const QString value = propertyValue(base.text(e));
            if (base.text(e).contains(u'=') && !value.startsWith(u"(T") && translated.text(e) == base.text(e))
                QVERIFY2(alike.contains(value), qPrintable(u"left in English: "_s + entryPath(base, e)));
        }
    }
};

QTEST_GUILESS_MAIN(TestShippedLanguages)
#include "tst_ShippedLanguages.moc"
