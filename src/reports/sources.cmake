list(APPEND QUOTALY_CORE_SOURCES
    reports/ReportText.h reports/ReportText.cpp
    reports/ReportRichText.h reports/ReportRichText.cpp
    reports/ReportGridData.h reports/ReportGridData.cpp
    reports/ReportGridContent.h
    reports/TdsExcelExport.h reports/TdsExcelExport.cpp
    reports/TdsWordExport.h reports/TdsWordExport.cpp
    reports/InvoiceBuilder.h reports/InvoiceBuilder.cpp
)
list(APPEND QUOTALY_GUI_SOURCES
    reports/TfMatchResults.h reports/TfMatchResults.cpp reports/TfMatchResults.ui
    reports/TfExportReport.h reports/TfExportReport.cpp reports/TfExportReport.ui
    reports/ReportGridAdapter.h reports/ReportGridAdapter.cpp
    reports/OfficeCommands.h reports/OfficeCommands.cpp
    reports/TfInvoice.h reports/TfInvoice.cpp reports/TfInvoice.ui
    reports/reports.qrc
)
