list(APPEND QUOTALY_CORE_SOURCES
    office/OfficeTypes.h office/OfficeTypes.cpp
    office/OfficeSuite.h office/OfficeSuiteLoader.cpp office/OfficeNotInstalled.h
    office/WordProcessor.h
    office/Spreadsheet.h
    office/CallRecorder.h office/CallRecorder.cpp
    office/RecordingWordProcessor.h office/RecordingWordProcessor.cpp
    office/RecordingSpreadsheet.h office/RecordingSpreadsheet.cpp
)
