#include "TfExportReport.h"

#include "ui_TfExportReport.h"

namespace quotaly {

TfExportReport::TfExportReport(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfExportReport>())
{
    m_ui->setupUi(this);
    // No title-bar buttons: the dialog is left with OK or Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    connect(m_ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfExportReport::~TfExportReport() = default;

bool TfExportReport::newFile() const
{
    return m_ui->rbNewFile->isChecked();
}

QComboBox *TfExportReport::cbLang() const
{
    return m_ui->cbLang;
}

void TfExportReport::showEvent(QShowEvent *event)
{
    adjustSize();
    setFixedSize(sizeHint());
    QDialog::showEvent(event);
}

} // namespace quotaly
