#pragma once

#include <QHeaderView>
#include <QStringList>

class QStandardItemModel;

namespace quotaly {

/// A free-standing horizontal header of titled sections, placed above the import window's grid to name the
/// client field each data column goes to. It holds its own sections, so it can be laid out in a form.
class ImportHeaderControl : public QHeaderView
{
    Q_OBJECT

public:
    explicit ImportHeaderControl(QWidget *parent = nullptr);

    /// Replaces the sections by one per title, each of the given width.
    void setSections(const QStringList &titles, const QList<int> &widths);

private:
    QStandardItemModel *m_sections;
};

} // namespace quotaly
