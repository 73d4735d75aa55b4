#include "support/TfAbout.h"

#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "WindowChecks.h"
#include "common/TestEnv.h"

using namespace quotaly;

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void layout();
    void okCloses();
    void showAboutBoxDestroysTheBox();
};

void tst_About::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("expected");

    QTest::newRow("caption") << "fAbout" << QByteArray("windowTitle") << "About Quotaly";
    QTest::newRow("product") << "ProductName" << QByteArray("text") << "Quotaly ™";
    QTest::newRow("version") << "Version" << QByteArray("text") << "Version 1.0";
    QTest::newRow("ok") << "OKButton" << QByteArray("text") << "OK";
    QTest::newRow("ok hint") << "OKButton" << QByteArray("toolTip") << "Close";
}

void tst_About::texts()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, expected);

    test::TestEnv env;
    TfAbout box;
    QObject *widget = box.objectName() == name ? &box : box.findChild<QObject *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->property(property.constData()).toString(), expected);
}

void tst_About::layout()
{
    test::TestEnv env;
    TfAbout box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    auto *icon = box.findChild<QLabel *>(QStringLiteral("ProgramIcon"));
    auto *product = box.findChild<QLabel *>(QStringLiteral("ProductName"));
    auto *version = box.findChild<QLabel *>(QStringLiteral("Version"));
    auto *rights = box.findChild<QLabel *>(QStringLiteral("Copyright"));
    auto *warning = box.findChild<QLabel *>(QStringLiteral("Comments"));
    auto *ok = box.findChild<QPushButton *>(QStringLiteral("OKButton"));
    QVERIFY(icon && product && version && rights && warning && ok);

    test::verifyFixedWindow(box, QSize(397, 215), {icon, product, version, rights, warning, ok});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(icon->size(), QSize(48, 48));
    QVERIFY(!icon->pixmap().isNull());
    QVERIFY(product->x() > icon->geometry().right() && product->x() < icon->geometry().right() + 24);
    QVERIFY(product->font().bold());
    QVERIFY(product->font().pointSizeF() > box.font().pointSizeF());
    QCOMPARE(version->x(), product->x());
    QVERIFY(version->y() > product->geometry().bottom());
    QCOMPARE(rights->text().count(QLatin1Char('\n')), 1);
    QCOMPARE(warning->text().count(QLatin1Char('\n')), 3);
    QVERIFY(rights->y() > version->geometry().bottom());
    QVERIFY(warning->y() > rights->geometry().bottom());
    // OK sits in the bottom right corner.
    QVERIFY(ok->geometry().right() > box.width() - 20 && ok->geometry().bottom() > box.height() - 20);
}

void tst_About::okCloses()
{
    test::TestEnv env;
    TfAbout box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void tst_About::showAboutBoxDestroysTheBox()
{
    test::TestEnv env;
    QString shown;
    QTimer answer;
    answer.setSingleShot(true);
    connect(&answer, &QTimer::timeout, &answer, [&shown] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        shown = modal->objectName();
        if (auto *ok = modal->findChild<QPushButton *>(QStringLiteral("OKButton")))
            ok->click();
        else
            modal->close();
    });
    answer.start(0);

    showAboutBox(nullptr);

    QCOMPARE(shown, QStringLiteral("fAbout"));
    const QWidgetList left = QApplication::topLevelWidgets();
    QVERIFY(std::none_of(left.begin(), left.end(),
                         [](const QWidget *w) { return w->objectName() == QLatin1String("fAbout"); }));
}

QTEST_MAIN(tst_About)
#include "tst_About.moc"
