#pragma once

#include <QDialog>

class QLabel;

namespace quotaly {

/// The small "Wait, please ..." window shown while a language loads. It is not modal: the caller shows it,
/// paints it and destroys it when the work is done.
class TfWait : public QDialog
{
    Q_OBJECT

public:
    explicit TfWait(QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }

    /// Shows the window centred on its parent (or the screen) and paints it at once.
    void showNow();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_label;
};

} // namespace quotaly
