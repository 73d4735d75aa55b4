list(APPEND QUOTALY_CORE_SOURCES
    trados/TTradosReader.h trados/TTradosReader.cpp
    trados/TextLineReader.h trados/TextLineReader.cpp
    trados/TradosNumbers.h trados/TradosNumbers.cpp
    trados/TradosTableReader.h trados/TradosTableReader.cpp
    trados/TradosCsvReader.h trados/TradosCsvReader.cpp
    trados/AnalysisReport.h trados/AnalysisReport.cpp
    trados/AnalysisReader.h trados/AnalysisReader.cpp
    trados/StudioXmlReader.h trados/StudioXmlReader.cpp
    trados/BlockCsvReader.h trados/BlockCsvReader.cpp
    trados/TextReports.h
    trados/MemoqStatisticsReader.cpp
    trados/PhraseLogReader.cpp
    trados/OmegatStatsReader.cpp
    trados/PhraseJsonReader.h trados/PhraseJsonReader.cpp
)
