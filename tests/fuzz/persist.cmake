# Fuzz targets of the archive readers (binary and XML) over the small test classes.
zr_fuzz(archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_archive.cpp ${CMAKE_SOURCE_DIR}/tests/support/PersistTestClasses.cpp
        LIBS core)
zr_fuzz(archive_xml SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_archive_xml.cpp
        ${CMAKE_SOURCE_DIR}/tests/support/PersistTestClasses.cpp LIBS core)
