#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace quotaly::ui {

/// A slim bar under a grid saying which filter is on, with a button that clears it. Hidden while no filter is.
class GridFilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit GridFilterBar(QWidget *parent = nullptr);

    /// The filter in words; empty hides the bar.
    void setDescription(const QString &text);
    QString description() const;

signals:
    void clearClicked();

private:
    QLabel *m_text;
    QToolButton *m_clear;
};

} // namespace quotaly::ui
