#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QLabel;
class QModelIndex;
class QTableView;

namespace quotaly::ui {

/// Incremental search in a table view: letters typed in the view move to the first row, from the top in
/// display order, whose text in the current column starts with what has been typed (without regard to case;
/// letters typed without accents also find accented ones).
/// A letter that would leave no row to go to is dropped, and the view stays where it is. Backspace takes the
/// last letter back; a pause, Esc or a key that moves starts a new search. What has been typed shows in a
/// small label in the view's corner. Group heading rows are passed over.
class GridIncrementalSearch : public QObject
{
    Q_OBJECT

public:
    explicit GridIncrementalSearch(QTableView *view);
    ~GridIncrementalSearch() override;

    /// What has been typed since the search began; empty when none is going on.
    const QString &text() const { return m_text; }
    /// Ends the search.
    void reset();
    /// How long a pause between keys ends the search.
    void setPause(int milliseconds) { m_pause.setInterval(milliseconds); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool type(const QString &text);
    bool moveTo(const QString &text);
    int searchColumn() const;
    void showText();

    QTableView *m_view;
    QPointer<QLabel> m_label;
    QTimer m_pause;
    QString m_text;
};

} // namespace quotaly::ui
