list(APPEND QUOTALY_CORE_SOURCES
    app/AppPaths.h app/AppPaths.cpp
    app/TDM.h app/TDM.cpp
    app/MatchesSchemaUpgrade.h app/MatchesSchemaUpgrade.cpp
    app/BuiltinCurrencies.h app/BuiltinCurrencies.cpp
    app/MatchCalculation.h app/MatchCalculation.cpp
    app/LogImport.h app/LogImport.cpp
)
list(APPEND QUOTALY_GUI_SOURCES
    app/TfQuotaly.h app/TfQuotaly.cpp app/TfQuotaly.ui
    app/TfNewClient.h app/TfNewClient.cpp app/TfNewClient.ui
    app/Forms.h app/Forms.cpp
    app/BaseLanguageFile.h app/BaseLanguageFile.cpp
)
