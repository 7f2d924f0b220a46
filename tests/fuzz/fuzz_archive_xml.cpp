// Fuzzes the XML archive reader: a test-class graph and generic top-level pointers from arbitrary bytes.
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "support/MemoryFile.h"
#include "support/PersistTestClasses.h"

#include <cstdlib>
#include <memory>

namespace {

template <class T> void LoadPointers(const std::string& path, int count)
{
    QFFileStream stream;
    if (!stream.Open(path, QFFileStream::kText, QFFileStream::kRead))
        std::abort();
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kXML);
    T* roots[2] = {nullptr, nullptr};
    for (int i = 0; i < count; ++i)
        QFSerializePointer(&archive, &roots[i], "Root");
    archive.EndDocument();
    // A failed document hands out nothing from the pointer that failed; what was loaded belongs to the caller.
    for (int i = 0; i < count; ++i)
        delete roots[i];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (RegisterTestClasses(), true);
    (void)registered;
    MemoryFile file(data, size);
    if (!file.IsValid())
        return 0;
    LoadPointers<CTestNode>(file.Path(), 1);
    LoadPointers<QFSerializeBase>(file.Path(), 2);
    return 0;
}
