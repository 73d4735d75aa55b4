#include "TfWait.h"

#include "ui/FormStorage.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace quotaly {

TfWait::TfWait(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("fWait"));
    setModal(false);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setText(QStringLiteral("Wait, please ..."));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    setFixedSize(380, 49);
}

void TfWait::showEvent(QShowEvent *event)
{
    setWindowTitle(QApplication::applicationName());
    QDialog::showEvent(event);
}

void TfWait::showNow()
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner && owner->isVisible())
        move(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    else
        ui::centreOnScreen(this);
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace quotaly
