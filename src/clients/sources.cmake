list(APPEND QUOTALY_CORE_SOURCES
    clients/ExportTable.h
)
list(APPEND QUOTALY_GUI_SOURCES
    clients/TfPersonal.h clients/TfPersonal.cpp clients/TfPersonal.ui
    clients/TfCurrency.h clients/TfCurrency.cpp clients/TfCurrency.ui
)
