#pragma once

#include "GridColumn.h"

#include <optional>

#include <QFrame>
#include <QStringList>

class QLineEdit;
class QListView;
class QStringListModel;

namespace quotaly::ui {

/// The drop-down of a column's filter: "(All)", "(Custom...)" and the column's values. A value filters for
/// rows showing exactly that text; "(Custom...)" turns the drop-down into a line edit for a text the rows
/// must contain (Enter applies it, Esc closes). Both compare without regard to case.
class GridFilterPopup : public QFrame
{
    Q_OBJECT

public:
    explicit GridFilterPopup(QWidget *parent = nullptr);

    /// Opens under `anchor` (global coordinates), at least as wide as it, offering these values; the current
    /// filter's value is preselected.
    void open(const QRect &anchor, const QStringList &values, const std::optional<ColumnFilter> &current);
    /// Switches to the contains-text line edit.
    void editCustom();

    static QString allText() { return QStringLiteral("(All)"); }
    static QString customText() { return QStringLiteral("(Custom...)"); }

signals:
    /// The user chose a filter; nullopt for "(All)".
    void chosen(const std::optional<ColumnFilter> &filter);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(int row);
    void applyCustom();

    QListView *m_list;
    QStringListModel *m_values;
    QLineEdit *m_edit;
    QString m_customText;
};

} // namespace quotaly::ui
