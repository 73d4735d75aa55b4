#pragma once

#include <functional>
#include <memory>

#include <QDialog>

namespace Ui {
class TfNewClient;
}

namespace quotaly {
class Dataset;

/// The client form: edits the current row of Clients, which the caller has put into insert or edit state.
class TfNewClient : public QDialog
{
    Q_OBJECT

public:
    explicit TfNewClient(Dataset *clients, QWidget *parent = nullptr);
    ~TfNewClient() override;

    /// Receives the current client's name whenever the form is asked to close (the main window's selector).
    std::function<void(const QString &)> setClientSelector;

    void Button1Click();
    void Button2Click();
    /// Whether the form may close; also hands the current client's name to the selector.
    bool FormCloseQuery();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    const std::unique_ptr<Ui::TfNewClient> m_ui;
    Dataset *m_clients;
    bool m_closing = false;
};

} // namespace quotaly
