#include "TfNewClient.h"

#include "ui_TfNewClient.h"

#include "clients/ClientList.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "ui/Dialogs.h"
#include "ui/FormStorage.h"

#include <QCloseEvent>

namespace quotaly {

TfNewClient::TfNewClient(Dataset *clients, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfNewClient>()), m_clients(clients)
{
    m_ui->setupUi(this);
    // Title, close and minimise button only: a fixed-size form offers no maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const std::pair<ui::DbEdit *, const char *> bindings[] = {
        {m_ui->DBEdit1, "FULLNAME"}, {m_ui->DBEdit2, "VATNo"},        {m_ui->DBEdit3, "AddressLine1"},
        {m_ui->DBEdit4, "AddressLine2"}, {m_ui->DBEdit5, "AddressLine3"}, {m_ui->DBEdit6, "Tel"},
        {m_ui->DBEdit7, "Fax"},          {m_ui->DBEdit8, "EMail"},        {m_ui->DBEdit9, "www"},
        {m_ui->DBEdit16, "Additional1"}, {m_ui->DBEdit17, "Additional2"}};
    for (const auto &[edit, field] : bindings)
        edit->setBinding(clients, QString::fromLatin1(field));
    m_ui->DBEdit9->setStyleSheet(QStringLiteral("QLineEdit { color: blue; text-decoration: underline; }"));
    setFixedSize(640, 283);
    ui::centreWhenFirstShown(this);

    connect(m_ui->Button1, &QPushButton::clicked, this, &TfNewClient::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TfNewClient::Button2Click);
}

TfNewClient::~TfNewClient() = default;

void TfNewClient::Button1Click()
{
    m_closing = true;
    try {
        if (m_clients->isEditing()) {
            // Prices and options are kept under the client's name, so two clients must not share one.
            m_clients->updateRecord();
            const QString name = m_clients->asString(QStringLiteral("FULLNAME"));
            if (!name.isEmpty() && valueTakenByOtherRow(*m_clients, QStringLiteral("FULLNAME"), name)) {
                m_closing = false;
                ui::dialogs().message(this, clientNameTakenMessage(name));
                m_ui->DBEdit1->setFocus();
                return;
            }
            m_clients->post();
        }
    } catch (const Error &e) {
        m_closing = false;
        ui::dialogs().message(this, e.text());
        return;
    }
    close();
}

void TfNewClient::Button2Click()
{
    m_closing = true;
    m_clients->cancel();
    close();
}

bool TfNewClient::FormCloseQuery()
{
    if (setClientSelector && m_clients->isActive())
        setClientSelector(m_clients->asString(QStringLiteral("FULLNAME")));
    return m_closing;
}

void TfNewClient::closeEvent(QCloseEvent *event)
{
    // The title-bar close button counts as Cancel, so the form never closes with an edit left pending.
    if (!m_closing) {
        m_closing = true;
        m_clients->cancel();
    }
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TfNewClient::showEvent(QShowEvent *event)
{
    m_closing = false;
    QDialog::showEvent(event);
}

void TfNewClient::reject()
{
    Button2Click();
}

} // namespace quotaly
