list(APPEND QUOTALY_CORE_SOURCES
    support/ErrorLog.h support/ErrorLog.cpp
)
list(APPEND QUOTALY_GUI_SOURCES
    support/TfSplash.h support/TfSplash.cpp support/TfSplash.ui
    support/TfAbout.h support/TfAbout.cpp support/TfAbout.ui
    support/support.qrc
)
