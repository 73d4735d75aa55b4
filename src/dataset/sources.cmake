list(APPEND QUOTALY_CORE_SOURCES
    dataset/Error.h
    dataset/FieldDef.h dataset/FieldDef.cpp
    dataset/Datapacket.h dataset/DatapacketReader.cpp dataset/DatapacketWriter.cpp
    dataset/Windows1252.h dataset/Windows1252.cpp
    dataset/Dataset.h dataset/Dataset.cpp dataset/DatasetMasterDetail.cpp
    dataset/DisplayFormat.h dataset/DisplayFormat.cpp
    dataset/AtomicFile.h dataset/AtomicFile.cpp
    dataset/RowCollator.h dataset/RowCollator.cpp
    dataset/SideBySide.h
)
