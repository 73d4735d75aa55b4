#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>

namespace quotaly::test {

/// A dialogs seam for window tests: records what was shown and answers from queues. Installs itself while it
/// lives. Questions with no queued answer are answered No; inputs and file dialogs with none are cancelled.
class ScriptedDialogs : public ui::Dialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void message(QWidget *parent, const QString &text, Kind kind) override;
    bool question(QWidget *parent, const QString &text) override;
    std::optional<QString> input(QWidget *parent, const QString &caption, const QString &prompt,
                                 const QString &value) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    void openUrl(const QUrl &url) override;
    FileChoice saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                        int filterIndex) override;

    QStringList messages;  ///< texts of message boxes, in order
    QList<Kind> messageKinds;
    QStringList questions; ///< texts of Yes/No questions, in order
    QList<QUrl> urls;      ///< everything handed to the desktop
    QList<bool> answers;   ///< answers for the next questions
    QList<std::optional<QString>> inputs;
    QStringList fileNames; ///< answers for the next open/save dialogs
    QList<int> filterIndexes; ///< filter entries chosen in the next save dialogs with filters (else the initial one)
    QStringList filters;      ///< the filter texts save dialogs were shown with
};

} // namespace quotaly::test
