#pragma once

#include <functional>
#include <memory>

#include <QDialog>

namespace Ui {
class TfPersonal;
}

namespace quotaly {
class Dataset;

/// The user's own invoicing details: name, address, VAT number and bank data. OK saves them at once.
class TfPersonal : public QDialog
{
    Q_OBJECT

public:
    explicit TfPersonal(Dataset *personal, QWidget *parent = nullptr);
    ~TfPersonal() override;

    /// Opens the web address of the edit that sends it (the main window's browse action).
    std::function<void(QObject *)> browseUrl;

    void btnOkClick();
    void btnCancelClick();
    bool FormCloseQuery() const { return m_closing; }
    void DBEdit9DblClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    const std::unique_ptr<Ui::TfPersonal> m_ui;
    Dataset *m_personal;
    bool m_closing = false;
};

} // namespace quotaly
