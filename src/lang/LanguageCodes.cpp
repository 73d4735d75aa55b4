#include "LanguageCodes.h"

#include <QLocale>
#include <QRegularExpression>

namespace quotaly {

namespace {

struct NamedLanguage
{
    QStringView name;
    QStringView code;
};

// English names first, so that a code's first entry gives its English name; regional variants whose plain
// language name would give a different code are listed by their usual names.
constexpr NamedLanguage kLanguages[] = {
    {u"English", u"en"},
    {u"British English", u"en-GB"},
    {u"American English", u"en-US"},
    {u"German", u"de"},
    {u"Deutsch", u"de"},
    {u"Swiss German", u"de-CH"},
    {u"Austrian German", u"de-AT"},
    {u"French", u"fr"},
    {u"Français", u"fr"},
    {u"Canadian French", u"fr-CA"},
    {u"Spanish", u"es"},
    {u"Español", u"es"},
    {u"Latin American Spanish", u"es-419"},
    {u"Mexican Spanish", u"es-MX"},
    {u"Italian", u"it"},
    {u"Italiano", u"it"},
    {u"Portuguese", u"pt"},
    {u"Português", u"pt"},
    {u"Brazilian Portuguese", u"pt-BR"},
    {u"Portuguese (Brazil)", u"pt-BR"},
    {u"Português do Brasil", u"pt-BR"},
    {u"Dutch", u"nl"},
    {u"Nederlands", u"nl"},
    {u"Danish", u"da"},
    {u"Dansk", u"da"},
    {u"Swedish", u"sv"},
    {u"Svenska", u"sv"},
    {u"Norwegian", u"nb"},
    {u"Norsk", u"nb"},
    {u"Finnish", u"fi"},
    {u"Suomi", u"fi"},
    {u"Icelandic", u"is"},
    {u"Polish", u"pl"},
    {u"Polski", u"pl"},
    {u"Czech", u"cs"},
    {u"Čeština", u"cs"},
    {u"Slovak", u"sk"},
    {u"Slovenčina", u"sk"},
    {u"Slovenian", u"sl"},
    {u"Slovene", u"sl"},
    {u"Croatian", u"hr"},
    {u"Hrvatski", u"hr"},
    {u"Serbian", u"sr"},
    {u"Hungarian", u"hu"},
    {u"Magyar", u"hu"},
    {u"Romanian", u"ro"},
    {u"Română", u"ro"},
    {u"Bulgarian", u"bg"},
    {u"Greek", u"el"},
    {u"Ελληνικά", u"el"},
    {u"Russian", u"ru"},
    {u"Русский", u"ru"},
    {u"Ukrainian", u"uk"},
    {u"Українська", u"uk"},
    {u"Turkish", u"tr"},
    {u"Türkçe", u"tr"},
    {u"Estonian", u"et"},
    {u"Latvian", u"lv"},
    {u"Lithuanian", u"lt"},
    {u"Catalan", u"ca"},
    {u"Català", u"ca"},
    {u"Arabic", u"ar"},
    {u"Hebrew", u"he"},
    {u"Persian", u"fa"},
    {u"Hindi", u"hi"},
    {u"Chinese", u"zh"},
    {u"Simplified Chinese", u"zh-CN"},
    {u"Chinese (Simplified)", u"zh-CN"},
    {u"Traditional Chinese", u"zh-TW"},
    {u"Chinese (Traditional)", u"zh-TW"},
    {u"Japanese", u"ja"},
    {u"日本語", u"ja"},
    {u"Korean", u"ko"},
    {u"한국어", u"ko"},
    {u"Thai", u"th"},
    {u"Vietnamese", u"vi"},
    {u"Indonesian", u"id"},
};

bool same(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The languages Qt knows, by English and native name.
QString qtLanguageCode(const QString &name)
{
    for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = QLocale::Language(l);
        if (same(QLocale::languageToString(language), name))
            return QLocale::languageToCode(language);
    }
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale &locale : locales) {
        if (locale.language() != QLocale::C && same(locale.nativeLanguageName(), name))
            return QLocale::languageToCode(locale.language());
    }
    return {};
}

} // namespace

bool isLanguageCode(const QString &code)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"));
    return pattern.match(code).hasMatch();
}

QString guessLanguageCode(const QString &languageName)
{
    const QString name = languageName.trimmed();
    if (name.isEmpty())
        return {};
    for (const NamedLanguage &language : kLanguages) {
        if (same(language.name, name) || same(language.code, name))
            return language.code.toString();
    }
    if (const QString code = qtLanguageCode(name); !code.isEmpty())
        return code;
    return languageNameForCode(name).isEmpty() ? QString() : name;
}

QString languageNameForCode(const QString &code)
{
    if (!isLanguageCode(code))
        return {};
    const QString primary = code.section(u'-', 0, 0);
    for (const QString &wanted : {code, primary}) {
        for (const NamedLanguage &language : kLanguages) {
            if (same(language.code, wanted))
                return language.name.toString();
        }
    }
    const QLocale::Language language = QLocale::codeToLanguage(primary);
    return language == QLocale::AnyLanguage || language == QLocale::C ? QString() : QLocale::languageToString(language);
}

} // namespace quotaly
