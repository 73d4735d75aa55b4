list(APPEND QUOTALY_CORE_SOURCES
    office/OfficeTypes.h office/OfficeTypes.cpp
    office/OfficeSuite.h office/OfficeSuiteLoader.cpp office/OfficeNotInstalled.h
    office/KeptOfficeProfile.h office/KeptOfficeProfile.cpp
    office/ResidentOffice.h office/ResidentOffice.cpp
    office/WordProcessor.h
    office/Spreadsheet.h
)
