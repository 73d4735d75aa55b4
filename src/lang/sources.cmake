list(APPEND QUOTALY_CORE_SOURCES
    lang/LanguageTree.h lang/LanguageTree.cpp
    lang/LanguageFile.h lang/LanguageFile.cpp
    lang/LanguageText.h lang/LanguageText.cpp
    lang/LanguageLookup.h lang/LanguageLookup.cpp
    lang/LanguageList.h lang/LanguageList.cpp
    lang/LanguageComparison.h lang/LanguageComparison.cpp
    lang/LanguageRows.h lang/LanguageRows.cpp
    lang/FindReplace.h lang/FindReplace.cpp lang/SearchPattern.cpp
    lang/LanguageCodes.h lang/LanguageCodes.cpp
    lang/LanguageXliff.h lang/LanguageXliff.cpp
)

list(APPEND QUOTALY_GUI_SOURCES
    lang/TkvLang.h lang/TkvLang.cpp
    lang/TfWait.h lang/TfWait.cpp
    lang/TfLangManager.h lang/TfLangManager.cpp lang/TfLangManager.ui
    lang/TfReplace.h lang/TfReplace.cpp lang/TfReplace.ui
    lang/lang.qrc
)
