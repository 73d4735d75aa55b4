list(APPEND QUOTALY_CORE_SOURCES
    reports/ReportText.h reports/ReportText.cpp
)
