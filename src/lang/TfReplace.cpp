#include "TfReplace.h"

#include "dataset/Error.h"
#include "ui/Dialogs.h"
#include "ui/TextProperties.h"

#include "ui_TfReplace.h"

#include <QKeyEvent>

namespace quotaly {

namespace {

const QString kTitle = QStringLiteral("Find and Replace");

} // namespace

// Questions and messages of a search go through the dialogs seam, over the find dialog.
class TfReplace::Prompts : public SearchPrompts
{
public:
    explicit Prompts(QWidget *owner) : m_owner(owner) {}
    bool ask(const QString &text) override { return ui::dialogs().question(m_owner, text); }
    void inform(const QString &text) override
    {
        ui::dialogs().message(m_owner, text, ui::Dialogs::Kind::Information);
    }

private:
    QWidget *m_owner;
};

TfReplace::TfReplace(SearchTable &table, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfReplace>()), m_prompts(std::make_unique<Prompts>(this)),
      m_engine(std::make_unique<FindReplace>(table, *m_prompts))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    // What the user typed is the user's, not a text of the program's language.
    ui::text_properties::setKeepsState(m_ui->eText, true);
    ui::text_properties::setKeepsState(m_ui->eReplace, true);

    connect(m_ui->btnFindNext, &QPushButton::clicked, this, &TfReplace::btnFindNextClick);
    connect(m_ui->btnReplace, &QPushButton::clicked, this, &TfReplace::btnReplaceClick);
    connect(m_ui->btnReplaceAll, &QPushButton::clicked, this, &TfReplace::btnReplaceAllClick);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &TfReplace::btnCancelClick);
    connect(m_ui->eText, &QLineEdit::textChanged, this, &TfReplace::OptionsChange);
    connect(m_ui->eReplace, &QLineEdit::textChanged, this, &TfReplace::OptionsChange);
    for (QAbstractButton *option : {static_cast<QAbstractButton *>(m_ui->cbWholeWords),
                                    static_cast<QAbstractButton *>(m_ui->cbCaseSesitive),
                                    static_cast<QAbstractButton *>(m_ui->rbForward),
                                    static_cast<QAbstractButton *>(m_ui->rbBackward),
                                    static_cast<QAbstractButton *>(m_ui->rbAll)})
        connect(option, &QAbstractButton::toggled, this, &TfReplace::OptionsChange);
    OptionsChange();
    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(386, 210)));
}

TfReplace::~TfReplace() = default;

void TfReplace::setMode(quint8 mode)
{
    m_engine->Mode = mode;
}

void TfReplace::OptionsChange()
{
    const auto direction = m_ui->rbAll->isChecked()        ? FindReplace::Direction::All
                           : m_ui->rbBackward->isChecked() ? FindReplace::Direction::Up
                                                           : FindReplace::Direction::Down;
    m_engine->setOptions(m_ui->eText->text(), m_ui->eReplace->text(), m_ui->cbWholeWords->isChecked(),
                         m_ui->cbCaseSesitive->isChecked(), direction);
}

template <typename F> void TfReplace::run(F &&action)
{
    try {
        action();
    } catch (const Error &e) {
        ui::dialogs().message(isVisible() ? this : parentWidget(), e.text(), ui::Dialogs::Kind::Error);
    }
}

void TfReplace::btnFindNextClick()
{
    run([this] { m_engine->Search(); });
}

void TfReplace::btnReplaceClick()
{
    run([this] { m_engine->Replace(); });
}

void TfReplace::btnReplaceAllClick()
{
    run([this] { m_engine->ReplaceAll(); });
}

void TfReplace::btnCancelClick()
{
    reject();
}

void TfReplace::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_ui->eText->setFocus();
    m_ui->eText->selectAll();
}

void TfReplace::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_engine->Mode == 1)
            btnReplaceClick();
        else
            btnFindNextClick();
        return;
    }
    QDialog::keyPressEvent(event); // Escape cancels
}

} // namespace quotaly
