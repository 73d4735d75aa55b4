list(APPEND QUOTALY_CORE_SOURCES
    clients/ExportTable.h
    clients/ClientList.h clients/ClientList.cpp
    clients/ClientImportParser.h clients/ClientImportParser.cpp
    clients/ClientImporter.h clients/ClientImporter.cpp
)
list(APPEND QUOTALY_GUI_SOURCES
    clients/TfPersonal.h clients/TfPersonal.cpp clients/TfPersonal.ui
    clients/TfCurrency.h clients/TfCurrency.cpp clients/TfCurrency.ui
)
