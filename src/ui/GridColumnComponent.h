#pragma once

#include <QObject>
#include <QPointer>

namespace quotaly::ui {

class DataGrid;

/// A grid column as a named component, so that language files reach its title ("Caption") by the column's
/// name (dxDBGrid1FULLNAME). It belongs to the grid and changes only the title the grid shows.
class GridColumnComponent : public QObject
{
    Q_OBJECT

public:
    GridColumnComponent(DataGrid *grid, const QString &field, const QString &name);

    QString caption() const;
    void setCaption(const QString &caption);

    /// Gives each listed field's column a component of the given name.
    static void nameColumns(DataGrid *grid, const QList<std::pair<QString, QString>> &fieldsAndNames);

private:
    QPointer<DataGrid> m_grid;
    QString m_field;
};

} // namespace quotaly::ui
