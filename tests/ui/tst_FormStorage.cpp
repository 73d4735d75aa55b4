#include "common/TestEnv.h"
#include "ui/FormStorage.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;

namespace {

// A window with one remembered property, as the main window keeps its last client.
struct Form
{
    QWidget window;
    QString lastClient = u"Default"_s;
    FormStorage storage{&window, u"Morvane Software"_s, u"Quotaly"_s};

    explicit Form(bool resizable)
    {
        if (resizable)
            window.resize(300, 200);
        else
            window.setFixedSize(434, 384);
        storage.addProperty(
            u"LastClient.Caption"_s, [this] { return lastClient; }, [this](const QString &v) { lastClient = v; });
    }
};

bool isCentred(const QWidget &window)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return (window.frameGeometry().center() - screen.center()).manhattanLength() <= 2;
}

} // namespace

class TestFormStorage : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::TestEnv::clearSettings(); }

    void roundTrip_data();
    void roundTrip();
    void badSettingsIgnored_data();
    void badSettingsIgnored();
    void placementStore();
    void partlyOffScreenComesBack_data();
    void partlyOffScreenComesBack();

private:
    test::TestEnv m_env;
};

void TestFormStorage::roundTrip_data()
{
    QTest::addColumn<bool>("resizable");
    QTest::newRow("resizable") << true;
    QTest::newRow("fixed size") << false;
}

void TestFormStorage::roundTrip()
{
    QFETCH(bool, resizable);
    {
        Form form(resizable);
        form.window.move(40, 50);
        form.window.resize(320, 240); // ignored by the fixed one
        form.lastClient = u"Smith, John"_s;
        form.storage.save();
    }
    Form again(resizable);
    again.storage.restore();

    QCOMPARE(again.window.pos(), QPoint(40, 50));
    QCOMPARE(again.window.size(), resizable ? QSize(320, 240) : QSize(434, 384));
    QCOMPARE(again.lastClient, u"Smith, John"_s);
}

void TestFormStorage::badSettingsIgnored_data()
{
    QTest::addColumn<QString>("key"); // empty: nothing stored at all
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("centred");

    QTest::newRow("first start") << "" << QVariant() << true;
    QTest::newRow("left not a number") << "Left" << QVariant("abc") << true;
    QTest::newRow("off the screen") << "Left" << QVariant(99999) << true;
    QTest::newRow("above the screen") << "Top" << QVariant(-5000) << true;
    QTest::newRow("negative width") << "Width" << QVariant(-5) << false;
    QTest::newRow("huge height") << "Height" << QVariant(1000000) << false;
    QTest::newRow("width of another type") << "Width" << QVariant(QRect(1, 2, 3, 4)) << false;
    QTest::newRow("property as a list") << "LastClient.Caption" << QVariant(QStringList{"a", "b"}) << false;
}

void TestFormStorage::badSettingsIgnored()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(bool, centred);
    if (!key.isEmpty()) {
        Form form(true);
        form.window.move(100, 100);
        form.storage.save();
        QSettings(u"Morvane Software"_s, u"Quotaly"_s).setValue(key, value);
    }

    Form form(true);
    form.storage.restore();

    QCOMPARE(isCentred(form.window), centred);
    QCOMPARE(form.lastClient, u"Default"_s);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(form.window.width() > 0 && form.window.width() <= screen.width());
    QVERIFY(form.window.height() > 0 && form.window.height() <= screen.height());
}

void TestFormStorage::placementStore()
{
    // One file named after the program in the user's configuration folder, one section per window.
    const QString file = PlacementStore::defaultFileName();
    QCOMPARE(file, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/tst_FormStorage.ini"_s);
    QFile::remove(file);
    {
        QWidget window;
        window.setGeometry(30, 40, 350, 250);
        PlacementStore(&window, u"Invoice params"_s).save();
    }
    QWidget window;
    PlacementStore(&window, u"Invoice params"_s).restore();
    QCOMPARE(window.geometry(), QRect(30, 40, 350, 250));

    QWidget other;
    other.resize(100, 100);
    PlacementStore(&other, u"Clients"_s).restore(); // nothing stored
    QCOMPARE(other.size(), QSize(100, 100));
    QVERIFY(isCentred(other));

    const QString bad =
        m_env.write(u"bad.ini"_s, "[Clients]\nLeft=abc\nTop=\nWidth=@Rect(0 0 1 1)\nHeight=x,y\n\x01\x02");
    PlacementStore(&other, u"Clients"_s, bad).restore();
    QCOMPARE(other.size(), QSize(100, 100));
    QVERIFY(isCentred(other));
}

void TestFormStorage::partlyOffScreenComesBack_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("kept"); // (-1, -1): off every screen, so centred instead
    // Two screens side by side: 1366x728 available on the left, 1920x1040 on the right.
    QTest::newRow("inside stays") << QRect(100, 100, 434, 384) << QPoint(100, 100);
    QTest::newRow("over the right edge") << QRect(1100, 100, 434, 384) << QPoint(932, 100);
    QTest::newRow("below the bottom") << QRect(100, 600, 434, 384) << QPoint(100, 344);
    QTest::newRow("above and left") << QRect(-200, -50, 434, 384) << QPoint(0, 0);
    QTest::newRow("mostly on the second screen") << QRect(1300, 900, 434, 384) << QPoint(1366, 656);
    QTest::newRow("larger than the screen") << QRect(50, 50, 1500, 900) << QPoint(0, 0);
    QTest::newRow("off every screen") << QRect(5000, 5000, 434, 384) << QPoint(-1, -1);
}

void TestFormStorage::partlyOffScreenComesBack()
{
    QFETCH(QRect, frame);
    QFETCH(QPoint, kept);
    const std::optional<QPoint> place = keptOnScreen(frame, {QRect(0, 0, 1366, 728), QRect(1366, 0, 1920, 1040)});
    QCOMPARE(place.value_or(QPoint(-1, -1)), kept);
}

QTEST_MAIN(TestFormStorage)
#include "tst_FormStorage.moc"
