#pragma once

#include "lang/LanguageTree.h"

#include <QList>

class QWidget;

namespace quotaly {

class Dataset;

/// The base language's texts of the given forms and of the data module's field labels, as base.lng lists
/// them: one section per form (its own texts, then each component with texts), then "DM".
LanguageTree baseLanguageTree(const QList<QWidget *> &forms, const QList<Dataset *> &dataModule);

/// base.lng as the program's windows are built: every form of the program is made (over the data folder
/// `dataDir`), read and destroyed.
QByteArray baseLanguageFileOfProgram(const QString &dataDir);

} // namespace quotaly
