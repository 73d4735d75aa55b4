#include "TfAbout.h"
#include "ui_TfAbout.h"

#include <QScreen>

// Resources of a static library have to be pulled in by name, and only from the global namespace.
static void initSupportResources()
{
    Q_INIT_RESOURCE(support);
}

namespace quotaly {

TfAbout::TfAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_ui(new Ui::TfAbout)
{
    initSupportResources();
    m_ui->setupUi(this);
    setFixedSize(397, 215);

    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen *shown = parent ? parent->screen() : screen())
        move(shown->availableGeometry().center() - rect().center());
}

TfAbout::~TfAbout() = default;

void showAboutBox(QWidget *parent)
{
    TfAbout box(parent);
    box.exec();
}

} // namespace quotaly
