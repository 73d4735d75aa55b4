#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QList>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace quotaly::test {

/// Checks a shown fixed-size window: its size, no title-bar buttons, centred on the screen, and its parts inside
/// the window, apart from each other, with every label's text fitting its label. Check
/// QTest::currentTestFailed() afterwards.
inline void verifyFixedWindow(const QWidget &window, QSize size, const QList<QWidget *> &parts)
{
    QCOMPARE(window.size(), size);
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
    const QPoint offCentre = window.geometry().center() - window.screen()->availableGeometry().center();
    QVERIFY(offCentre.manhattanLength() <= 8); // a frame may shift it a little

    for (const QWidget *part : parts) {
        QVERIFY2(window.rect().contains(part->geometry()), qPrintable(part->objectName()));
        for (const QWidget *other : parts)
            QVERIFY2(part == other || !part->geometry().intersects(other->geometry()),
                     qPrintable(part->objectName() + QLatin1Char('/') + other->objectName()));
        if (const auto *label = qobject_cast<const QLabel *>(part); label && !label->text().isEmpty()) {
            const QSize needed = QFontMetrics(label->font()).size(0, label->text());
            QVERIFY2(needed.width() <= label->contentsRect().width(), qPrintable(label->objectName()));
            QVERIFY2(needed.height() <= label->contentsRect().height(), qPrintable(label->objectName()));
        }
    }
}

} // namespace quotaly::test
