// Fuzzes the XML archive reader: a test-class graph and generic top-level pointers from arbitrary bytes.
#include "ArchiveFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return archivefuzz::Run(data, size, QFFileStream::kText, QFArchive::kXML);
}
