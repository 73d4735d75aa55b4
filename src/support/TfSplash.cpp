#include "TfSplash.h"
#include "ui_TfSplash.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <QUrl>

#include "MakerInfo.h"
#include "support/ErrorLog.h"
#include "ui/Dialogs.h"

// Resources of a static library have to be pulled in by name, and only from the global namespace.
static void initSupportResources()
{
    Q_INIT_RESOURCE(support);
}

namespace quotaly {

namespace {

constexpr QSize clientSize{331, 179};
constexpr qreal smallestTextPointSize = 6.5;

QSettings appSettings()
{
    return QSettings(QString::fromLatin1(appSettingsOrganization), QString::fromLatin1(appSettingsApplication));
}

} // namespace

TfSplash::TfSplash(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_ui(new Ui::TfSplash)
{
    initSupportResources();
    m_ui->setupUi(this);
    setFixedSize(clientSize);

    m_ui->user->installEventFilter(this);
    connect(m_ui->btnSubmit, &QPushButton::clicked, this, &TfSplash::btnSubmitClick);
    connect(m_ui->btnContinue, &QPushButton::clicked, this, &TfSplash::btnContinueClick);

    if (const QScreen *shown = parent ? parent->screen() : screen())
        move(shown->availableGeometry().center() - rect().center());
}

TfSplash::~TfSplash() = default;

void TfSplash::btnSubmitClick()
{
    QSettings settings = appSettings();
    ui::dialogs().openUrl(QUrl(QStringLiteral("mailto:" QUOTALY_NEWSLETTER_MAIL "?subject=Newsletter")));
    settings.setValue(QStringLiteral("rv"), 1);
}

bool TfSplash::userKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    btnSubmitClick();
    return true;
}

void TfSplash::btnContinueClick()
{
    accept();
}

bool TfSplash::eventFilter(QObject *watched, QEvent *event)
{
    // Handling Enter here keeps the dialog from also pressing its default button.
    if (watched == m_ui->user && event->type() == QEvent::KeyPress)
        return userKeyDown(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void TfSplash::showEvent(QShowEvent *event)
{
    // Texts are final now (a language file may have replaced them).
    fitTextToWindow();
    QDialog::showEvent(event);
}

void TfSplash::fitTextToWindow()
{
    // The window keeps its size; the five-line text beside the picture takes a smaller type when the user's
    // font would not fit it.
    QLabel *text = m_ui->Label1;
    QFont font = this->font();
    text->setFont(font);
    layout()->activate();
    const QSize room = text->contentsRect().size();
    while (font.pointSizeF() - 0.5 >= smallestTextPointSize) {
        const QSize needed = QFontMetrics(font).size(0, text->text());
        if (needed.width() <= room.width() && needed.height() <= room.height())
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    text->setFont(font);
}

bool newsletterSubscribed()
{
    QSettings settings = appSettings();
    return readOrCreateSwitch(settings, QStringLiteral("rv"), 0);
}

void showNewsletterIfNotSubscribed(QWidget *parent)
{
    if (newsletterSubscribed())
        return;
    TfSplash window(parent);
    window.exec();
}

} // namespace quotaly
