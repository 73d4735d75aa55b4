list(APPEND QUOTALY_CORE_SOURCES
    clients/ExportTable.h
    clients/DelimitedTextWriter.h clients/DelimitedTextWriter.cpp
    clients/Html32Writer.h clients/Html32Writer.cpp
    clients/Biff4Writer.h clients/Biff4Writer.cpp
    clients/ExportFile.h clients/ExportFile.cpp
    clients/ClientList.h clients/ClientList.cpp
    clients/ClientImportParser.h clients/ClientImportParser.cpp
    clients/ClientImporter.h clients/ClientImporter.cpp
)
list(APPEND QUOTALY_GUI_SOURCES
    clients/TfPersonal.h clients/TfPersonal.cpp clients/TfPersonal.ui
    clients/TfCurrency.h clients/TfCurrency.cpp clients/TfCurrency.ui
    clients/TfClients.h clients/TfClients.cpp clients/TfClients.ui
    clients/TfImport.h clients/TfImport.cpp clients/TfImport.ui
    clients/ImportHeaderControl.h clients/ImportHeaderControl.cpp
)
