#include "TfCurrency.h"

#include "ui_TfCurrency.h"

#include "clients/ClientList.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "ui/DataGrid.h"
#include "ui/GridColumnComponent.h"
#include "ui/Dialogs.h"
#include "ui/FormStorage.h"

#include <QKeyEvent>
#include <QTableView>

namespace quotaly {

TfCurrency::TfCurrency(Dataset *currency, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfCurrency>()), m_currency(currency)
{
    m_ui->setupUi(this);
    ui::DataGrid *grid = m_ui->dxDBGrid1;
    grid->setDataset(currency, {QStringLiteral("VCode"), QStringLiteral("VTitle")});
    grid->setReadOnly(false);
    grid->setColumnTitle(QStringLiteral("VCode"), QStringLiteral("Code"));
    grid->setColumnWidth(QStringLiteral("VCode"), 70);
    grid->setColumnAlignment(QStringLiteral("VCode"), Qt::AlignCenter);
    grid->setColumnTitle(QStringLiteral("VTitle"), QStringLiteral("Title"));
    grid->setColumnWidth(QStringLiteral("VTitle"), 203);
    ui::GridColumnComponent::nameColumns(grid, {{QStringLiteral("VCode"), QStringLiteral("dxDBGrid1VCode")},
                                                {QStringLiteral("VTitle"), QStringLiteral("dxDBGrid1VTitle")}});
    grid->view()->setSortingEnabled(true);
    grid->view()->sortByColumn(0, Qt::AscendingOrder);
    grid->view()->installEventFilter(this);
    // A new row is typed code first, then title; Tab must not wander into the next currency.
    grid->setTabWithinRow(true);
    currency->beforePost = [](Dataset &d) { CurrencyBeforePost(d); };
    resize(315, 419);
    ui::centreWhenFirstShown(this);

    connect(m_ui->Button2, &QPushButton::clicked, this, &TfCurrency::NewCurrency);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TfCurrency::Button3Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TfCurrency::Button1Click);
}

TfCurrency::~TfCurrency() = default;

void TfCurrency::CurrencyBeforePost(Dataset &currency)
{
    const QString code = currency.asString(QStringLiteral("VCode"));
    if (code.trimmed().isEmpty())
        throw Error(QStringLiteral("Please enter the currency code."));
    // The code names the currency in every client's options: two rows must not share one.
    if (valueTakenByOtherRow(currency, QStringLiteral("VCode"), code))
        throw Error(QStringLiteral("The currency %1 is already in the list.").arg(code));
}

void TfCurrency::NewCurrency()
{
    try {
        m_currency->append();
        m_ui->dxDBGrid1->view()->setFocus();
        m_ui->dxDBGrid1->editField(QStringLiteral("VCode"));
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text());
    }
}

void TfCurrency::Button3Click()
{
    try {
        m_currency->deleteRecord();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text());
    }
}

void TfCurrency::Button1Click()
{
    accept();
    try {
        m_currency->checkBrowseMode();
        m_currency->saveToFile();
        m_currency->close();
        m_currency->open();
    } catch (const Error &e) {
        ui::dialogs().message(this, e.text(), ui::Dialogs::Kind::Error);
    }
}

bool TfCurrency::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->dxDBGrid1->view() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Insert) {
            NewCurrency();
            return true;
        }
        if (key == Qt::Key_Delete) {
            if (!m_currency->isEmpty() && ui::dialogs().question(this, QStringLiteral("Delete record?")))
                Button3Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quotaly
