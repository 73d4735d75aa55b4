list(APPEND QUOTALY_CORE_SOURCES
    trados/TTradosReader.h trados/TTradosReader.cpp
    trados/TextLineReader.h trados/TextLineReader.cpp
    trados/TradosNumbers.h trados/TradosNumbers.cpp
    trados/TradosTableReader.h trados/TradosTableReader.cpp
    trados/TradosCsvReader.h trados/TradosCsvReader.cpp
)
