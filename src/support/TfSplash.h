#pragma once

#include <memory>

#include <QDialog>

class QKeyEvent;

namespace Ui {
class TfSplash;
}

namespace quotaly {

/// Settings location of the newsletter flag "rv" (the program's own key).
inline constexpr auto appSettingsOrganization = "Morvane Software";
inline constexpr auto appSettingsApplication = "Quotaly";

/// The newsletter window: invites the user to subscribe by mail. "Submit" starts a mail to the newsletter
/// mailbox and remembers the subscription; "Continue" closes the window.
class TfSplash : public QDialog
{
    Q_OBJECT

public:
    explicit TfSplash(QWidget *parent = nullptr);
    ~TfSplash() override;

    /// Starts a new mail to the newsletter mailbox in the user's mail program and sets "rv" to 1. The address
    /// typed in `user` is not checked or used: the user sends the mail. The window stays open.
    void btnSubmitClick();
    /// Enter or Return in `user` submits; returns true when the key was handled.
    bool userKeyDown(QKeyEvent *event);
    /// Closes the window with an accepted result; "rv" is left alone.
    void btnContinueClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitTextToWindow();

    const std::unique_ptr<Ui::TfSplash> m_ui;
};

/// Whether the user has once subscribed ("rv" is on). A missing "rv" is created as 0; a value that is not a
/// number counts as not subscribed and is left as it is.
bool newsletterSubscribed();

/// At start-up: until the user has once subscribed, shows the newsletter window modally and destroys it when it
/// closes.
void showNewsletterIfNotSubscribed(QWidget *parent);

} // namespace quotaly
