#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TfAbout;
}

namespace quotaly {

/// The about box: product name, version and the legal notices; "OK" closes it.
class TfAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfAbout(QWidget *parent = nullptr);
    ~TfAbout() override;

private:
    const std::unique_ptr<Ui::TfAbout> m_ui;
};

/// Shows the about box modally and destroys it when it closes.
void showAboutBox(QWidget *parent);

} // namespace quotaly
