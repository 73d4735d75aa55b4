#include "ScriptedDialogs.h"

namespace quotaly::test {

ScriptedDialogs::ScriptedDialogs()
{
    ui::Dialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    ui::Dialogs::install(nullptr);
}

void ScriptedDialogs::message(QWidget *, const QString &text, Kind kind)
{
    messages << text;
    messageKinds << kind;
}

bool ScriptedDialogs::question(QWidget *, const QString &text)
{
    questions << text;
    return answers.isEmpty() ? false : answers.takeFirst();
}

std::optional<QString> ScriptedDialogs::input(QWidget *, const QString &, const QString &, const QString &)
{
    return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

ui::Dialogs::FileChoice ScriptedDialogs::saveFile(QWidget *, const QString &, const QString &, const QString &filter,
                                                  int filterIndex)
{
    filters << filter;
    const int chosen = filterIndexes.isEmpty() ? filterIndex : filterIndexes.takeFirst();
    return {fileNames.isEmpty() ? QString() : fileNames.takeFirst(), chosen};
}

void ScriptedDialogs::openUrl(const QUrl &url)
{
    urls << url;
}

} // namespace quotaly::test
