#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace quotaly::ui {

/// Puts a window in the middle of the available area of its screen (the primary screen when it has none).
void centreOnScreen(QWidget *window);
/// Centres a window on its screen the first time it is shown; later shows keep where the user put it.
void centreWhenFirstShown(QWidget *window);
/// Moves a window that reaches past its screen wholly back onto it (see keptOnScreen()).
void keepOnScreen(QWidget *window);

/// Where a window whose frame is `frame` goes so that it lies wholly inside the available area (of those given)
/// showing most of it; nullopt when no area shows any of it.
std::optional<QPoint> keptOnScreen(const QRect &frame, const QList<QRect> &areas);

/// Remembers a window's position (and size, when the window can be resized) and named values of its
/// components in the user's settings of an organisation and application. Values that are missing or make no
/// sense are ignored: the window keeps its defaults and is centred; a window partly off its screen is moved
/// back inside it, one off every screen is centred.
class FormStorage
{
public:
    FormStorage(QWidget *window, const QString &organisation, const QString &application);

    /// A value kept under `key` (such as "LastClient.Caption"), read and written through the two functions.
    void addProperty(const QString &key, std::function<QString()> getter, std::function<void(const QString &)> setter);

    /// Applies the stored placement and values.
    void restore();
    /// Writes the window's placement and the current values.
    void save() const;

private:
    struct Property
    {
        QString key;
        std::function<QString()> getter;
        std::function<void(const QString &)> setter;
    };

    QWidget *m_window;
    QString m_organisation;
    QString m_application;
    QList<Property> m_properties;
};

/// Remembers a window's bounds in a section of an INI file, by default `<exe name>.ini` in the user's
/// configuration folder of this application. Same robustness as FormStorage.
class PlacementStore
{
public:
    PlacementStore(QWidget *window, const QString &section, const QString &fileName = defaultFileName());

    static QString defaultFileName();
    const QString &fileName() const { return m_fileName; }

    void restore();
    void save() const;

private:
    QWidget *m_window;
    QString m_section;
    QString m_fileName;
};

} // namespace quotaly::ui
