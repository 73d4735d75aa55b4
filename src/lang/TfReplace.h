#pragma once

#include "FindReplace.h"

#include <memory>

#include <QDialog>

namespace Ui {
class TfReplace;
}

namespace quotaly {

/// The find and replace dialog of the language manager. It searches the manager's table (through a SearchTable)
/// with the search engine; Find, Replace and Replace All take their options from the dialog, Find Next (F3 in the
/// manager) runs a step without showing it.
class TfReplace : public QDialog
{
    Q_OBJECT

public:
    TfReplace(SearchTable &table, QWidget *parent);
    ~TfReplace() override;

    /// 0 find, 1 replace: what Enter does, and whether read-only columns are searched.
    void setMode(quint8 mode);
    quint8 mode() const { return m_engine->Mode; }

    void btnFindNextClick();
    void btnReplaceClick();
    void btnReplaceAllClick();
    void btnCancelClick();
    /// The options reset: runs on every change of the texts, options and direction.
    void OptionsChange();

    FindReplace &engine() { return *m_engine; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class Prompts;
    /// Runs a search action, showing a failure as a message.
    template <typename F> void run(F &&action);

    const std::unique_ptr<Ui::TfReplace> m_ui;
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<FindReplace> m_engine;
};

} // namespace quotaly
