#include "Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace quotaly::ui {

namespace {
Dialogs *g_installed = nullptr;
}

Dialogs &Dialogs::instance()
{
    static QtDialogs qtDialogs;
    return g_installed ? *g_installed : qtDialogs;
}

void Dialogs::install(Dialogs *dialogs)
{
    g_installed = dialogs;
}

void QtDialogs::message(QWidget *parent, const QString &text, Kind kind)
{
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(text);
    switch (kind) {
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtDialogs::question(QWidget *parent, const QString &text)
{
    return QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::input(QWidget *parent, const QString &caption, const QString &prompt,
                                        const QString &value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtDialogs::openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString QtDialogs::saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

void QtDialogs::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

} // namespace quotaly::ui

namespace quotaly::ui {

QStringList qtFileFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern = pattern.trimmed();
        const QString bracketed = QStringLiteral("(%1)").arg(patterns.join(QLatin1Char(' ')));
        entries << (description.endsWith(bracketed) ? description : description + QLatin1Char(' ') + bracketed);
    }
    return entries;
}

Dialogs::FileChoice QtDialogs::saveFile(QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter, int filterIndex)
{
    QFileDialog dialog(parent, caption, dir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList entries = qtFileFilters(filter);
    dialog.setNameFilters(entries);
    if (filterIndex >= 0 && filterIndex < entries.size())
        dialog.selectNameFilter(entries.at(filterIndex));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), int(std::max<qsizetype>(0, entries.indexOf(dialog.selectedNameFilter())))};
}

} // namespace quotaly::ui
