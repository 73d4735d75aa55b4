#pragma once

#include <QString>

namespace quotaly {

/// Whether `code` has the form of a language tag: letters, then parts of letters and digits after "-"
/// ("de", "pt-BR", "es-419").
bool isLanguageCode(const QString &code);

/// The language code of a language's name, English or native, without regard to case ("German" and "Deutsch"
/// give "de", "Brazilian Portuguese" "pt-BR"); a name that is a code itself gives that code ("de-DE") when its language
/// is known. Names beyond the program's own table are looked up among the languages Qt knows. Empty when the name is
/// not known.
QString guessLanguageCode(const QString &languageName);

/// The English name of a language code ("de" and "de-DE" give "German"), empty when the code is not known.
QString languageNameForCode(const QString &code);

} // namespace quotaly
