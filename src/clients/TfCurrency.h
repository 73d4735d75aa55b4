#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TfCurrency;
}

namespace quotaly {
class Dataset;

/// The currency list offered for clients' prices, edited in place; Close saves it at once.
class TfCurrency : public QDialog
{
    Q_OBJECT

public:
    explicit TfCurrency(Dataset *currency, QWidget *parent = nullptr);
    ~TfCurrency() override;

    /// Starts a new, empty currency row in the grid, with the code's cell open for typing.
    void NewCurrency();
    /// Refuses a currency row without a code or with the code of another row.
    static void CurrencyBeforePost(Dataset &currency);
    void Button3Click();
    void Button1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const std::unique_ptr<Ui::TfCurrency> m_ui;
    Dataset *m_currency;
};

} // namespace quotaly
