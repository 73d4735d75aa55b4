list(APPEND QUOTALY_GUI_SOURCES
    ui/Dialogs.h ui/Dialogs.cpp
    ui/DatasetTableModel.h ui/DatasetTableModel.cpp
    ui/DataLink.h ui/DataLink.cpp
    ui/DbEdit.h ui/DbEdit.cpp
    ui/DbCheckBox.h ui/DbCheckBox.cpp
    ui/DbComboBox.h ui/DbComboBox.cpp
    ui/DbLookupComboBox.h ui/DbLookupComboBox.cpp
    ui/FormStorage.h ui/FormStorage.cpp
    ui/GridColumnComponent.h ui/GridColumnComponent.cpp
    ui/TextProperties.h ui/TextProperties.cpp
    ui/QuotalyApplication.h ui/QuotalyApplication.cpp
    ui/GridColumn.h
    ui/GridCollationCache.h ui/GridCollationCache.cpp
    ui/GridProxyModel.h ui/GridProxyModel.cpp
    ui/GridHeaderView.h ui/GridHeaderView.cpp
    ui/GridFilterPopup.h ui/GridFilterPopup.cpp
    ui/GridFilterBar.h ui/GridFilterBar.cpp
    ui/GridIncrementalSearch.h ui/GridIncrementalSearch.cpp
    ui/GridGroupModel.h ui/GridGroupModel.cpp
    ui/GridGroupPanel.h ui/GridGroupPanel.cpp
    ui/GridTableView.h ui/GridTableView.cpp
    ui/DataGridFooter.h ui/DataGridFooter.cpp
    ui/GridPrinter.h ui/GridPrinter.cpp
    ui/DataGrid.h ui/DataGrid.cpp ui/DataGridOutput.cpp ui/DataGridRows.cpp ui/DataGridFilter.cpp
    ui/DataGridGroups.cpp
)
