#include "FormStorage.h"

#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

namespace quotaly::ui {

namespace {

const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kMaximized = QStringLiteral("Maximized");

QList<QRect> screenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

bool isResizable(const QWidget *window)
{
    return window->minimumSize() != window->maximumSize();
}

std::optional<int> readInt(const QSettings &settings, const QString &key)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QScreen *screenOf(const QWidget *window)
{
    QScreen *screen = window->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

void writeBounds(QSettings &settings, const QWidget *window)
{
    const bool maximized = window->isMaximized() || window->isFullScreen();
    const QRect normal = maximized ? window->normalGeometry() : QRect(window->pos(), window->size());
    settings.setValue(kLeft, normal.x());
    settings.setValue(kTop, normal.y());
    if (isResizable(window)) {
        settings.setValue(kWidth, normal.width());
        settings.setValue(kHeight, normal.height());
        settings.setValue(kMaximized, maximized);
    }
}

void readBounds(const QSettings &settings, QWidget *window)
{
    if (isResizable(window)) {
        const auto width = readInt(settings, kWidth);
        const auto height = readInt(settings, kHeight);
        if (width && height && *width > 0 && *height > 0) {
            const QScreen *screen = screenOf(window);
            const QSize limit = screen ? screen->availableGeometry().size() : QSize(*width, *height);
            window->resize(QSize(*width, *height)
                               .boundedTo(limit)
                               .expandedTo(window->minimumSize())
                               .boundedTo(window->maximumSize()));
        }
    }
    const auto left = readInt(settings, kLeft);
    const auto top = readInt(settings, kTop);
    const std::optional<QPoint> kept =
        left && top ? keptOnScreen(QRect(QPoint(*left, *top), window->frameGeometry().size()), screenAreas())
                    : std::nullopt;
    if (kept)
        window->move(*kept);
    else
        centreOnScreen(window);
    if (isResizable(window) && settings.value(kMaximized).toString() == u"true")
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

// Centres its window at the first Show, then goes.
class FirstShowCentring : public QObject
{
public:
    explicit FirstShowCentring(QWidget *window) : QObject(window) { window->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            centreOnScreen(static_cast<QWidget *>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

std::optional<QPoint> keptOnScreen(const QRect &frame, const QList<QRect> &areas)
{
    // The screen showing most of the window takes it; one it does not touch at all is no use (centre instead).
    const QRect *best = nullptr;
    qint64 bestShown = 0;
    for (const QRect &area : areas) {
        const QRect shown = area.intersected(frame);
        const qint64 size = shown.isEmpty() ? 0 : qint64(shown.width()) * shown.height();
        if (size > bestShown) {
            best = &area;
            bestShown = size;
        }
    }
    if (!best)
        return std::nullopt;
    // Moved just far enough to be wholly inside; a window larger than the area keeps its top left corner on it.
    QPoint topLeft = frame.topLeft();
    topLeft.setX(std::max(best->left(), std::min(topLeft.x(), best->right() + 1 - frame.width())));
    topLeft.setY(std::max(best->top(), std::min(topLeft.y(), best->bottom() + 1 - frame.height())));
    return topLeft;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = screenOf(window);
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    QPoint topLeft = area.center() - QPoint(size.width() / 2, size.height() / 2);
    // A window larger than the screen keeps its title bar on it.
    topLeft.setX(std::max(topLeft.x(), area.left()));
    topLeft.setY(std::max(topLeft.y(), area.top()));
    window->move(topLeft);
}

void centreWhenFirstShown(QWidget *window)
{
    new FirstShowCentring(window);
}

void keepOnScreen(QWidget *window)
{
    if (const auto kept = keptOnScreen(window->frameGeometry(), screenAreas()))
        window->move(*kept);
}

// --- FormStorage -------------------------------------------------------------------------------------------

FormStorage::FormStorage(QWidget *window, const QString &organisation, const QString &application)
    : m_window(window), m_organisation(organisation), m_application(application)
{
}

void FormStorage::addProperty(const QString &key, std::function<QString()> getter,
                              std::function<void(const QString &)> setter)
{
    m_properties.append({key, std::move(getter), std::move(setter)});
}

void FormStorage::restore()
{
    const QSettings settings(m_organisation, m_application);
    readBounds(settings, m_window);
    for (const Property &p : std::as_const(m_properties)) {
        const QVariant value = settings.value(p.key);
        // Only text is ours; a list or any other type someone wrote there is left alone.
        if (value.typeId() == QMetaType::QString)
            p.setter(value.toString());
    }
}

void FormStorage::save() const
{
    QSettings settings(m_organisation, m_application);
    writeBounds(settings, m_window);
    for (const Property &p : m_properties)
        settings.setValue(p.key, p.getter());
    settings.sync();
}

// --- PlacementStore ----------------------------------------------------------------------------------------

PlacementStore::PlacementStore(QWidget *window, const QString &section, const QString &fileName)
    : m_window(window), m_section(section), m_fileName(fileName)
{
}

QString PlacementStore::defaultFileName()
{
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u'/' + exe + QStringLiteral(".ini");
}

void PlacementStore::restore()
{
    QSettings settings(m_fileName, QSettings::IniFormat);
    settings.beginGroup(m_section);
    readBounds(settings, m_window);
}

void PlacementStore::save() const
{
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    QSettings settings(m_fileName, QSettings::IniFormat);
    settings.beginGroup(m_section);
    writeBounds(settings, m_window);
    settings.endGroup();
    settings.sync();
}

} // namespace quotaly::ui
