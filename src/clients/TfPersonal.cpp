#include "TfPersonal.h"

#include "ui_TfPersonal.h"

#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "ui/Dialogs.h"
#include "ui/FormStorage.h"

#include <QCloseEvent>

namespace quotaly {

TfPersonal::TfPersonal(Dataset *personal, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfPersonal>()), m_personal(personal)
{
    m_ui->setupUi(this);
    // Title, close button only: a fixed-size form offers no maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const char *fields[] = {"FULLNAME",      "VATNo",         "AddressLine1",  "AddressLine2",  "AddressLine3",
                            "Tel",           "Fax",           "EMail",         "www",           "BankDataLine1",
                            "BankDataLine2", "BankDataLine3", "BankDataLine4", "BankDataLine5", "BankDataLine6",
                            "Additional1",   "Additional2"};
    for (int i = 0; i < 17; ++i)
        findChild<ui::DbEdit *>(QStringLiteral("DBEdit%1").arg(i + 1))->setBinding(personal, QString::fromLatin1(fields[i]));
    m_ui->DBEdit9->setStyleSheet(QStringLiteral("QLineEdit { color: blue; text-decoration: underline; }"));
    m_ui->DBEdit9->setToolTip(QStringLiteral("Double-click to open the web address"));
    setFixedSize(652, 299);
    ui::centreWhenFirstShown(this);

    connect(m_ui->btnOk, &QPushButton::clicked, this, &TfPersonal::btnOkClick);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &TfPersonal::btnCancelClick);
    connect(m_ui->DBEdit9, &ui::DbEdit::doubleClicked, this, &TfPersonal::DBEdit9DblClick);
}

TfPersonal::~TfPersonal() = default;

void TfPersonal::btnOkClick()
{
    m_closing = true;
    try {
        if (m_personal->isEditing())
            m_personal->post();
        m_personal->saveToFile();
    } catch (const Error &e) {
        m_closing = false;
        ui::dialogs().message(this, e.text());
        return;
    }
    accept();
}

void TfPersonal::btnCancelClick()
{
    m_personal->cancel();
    m_closing = true;
    QDialog::reject();
}

void TfPersonal::DBEdit9DblClick()
{
    if (browseUrl)
        browseUrl(m_ui->DBEdit9);
}

void TfPersonal::closeEvent(QCloseEvent *event)
{
    // The title-bar close button counts as Cancel, so typed changes are never left pending.
    if (!m_closing)
        btnCancelClick();
    event->setAccepted(FormCloseQuery());
}

void TfPersonal::showEvent(QShowEvent *event)
{
    m_closing = false;
    QDialog::showEvent(event);
}

void TfPersonal::reject()
{
    btnCancelClick();
}

} // namespace quotaly
