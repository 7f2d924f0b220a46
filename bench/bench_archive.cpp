// Binary archive store and load of a graph of 10,000 small objects, beside Boost.Serialization's binary archive on
// the same graph and a plain fread of the same bytes; and the load of a scenario's largest tile map with its path
// grid.
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/WorldContext.h"
#include "support/ByteWriter.h"
#include "support/PersistTestClasses.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#ifdef ZR_HAVE_BOOST_SERIALIZATION
#include <boost/archive/binary_iarchive.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

#include <fstream>
#endif

namespace {

constexpr int kNodes = 100;
constexpr int kItemsPerNode = 98; // 100 nodes, each with one own leaf and 98 items: 10,000 objects
constexpr int kObjects = kNodes * (kItemsPerNode + 2);

// The same graph for both archives: a chain of nodes, each with its own leaf, a second reference to it and
// its items.
template <class Node, class Leaf>
std::unique_ptr<Node> MakeGraphOf()
{
    auto root = std::make_unique<Node>();
    Node* node = root.get();
    for (int n = 0; n < kNodes; ++n) {
        node->m_nId = n;
        node->m_pLeaf = new Leaf;
        node->m_pShared = node->m_pLeaf; // a second reference to an object written just before
        for (int i = 0; i < kItemsPerNode; ++i) {
            auto* leaf = new Leaf;
            leaf->m_nValue = n * 1000 + i;
            leaf->m_strText = "leaf";
            node->m_items.push_back(leaf);
        }
        if (n + 1 < kNodes)
            node = node->m_pChild = new Node;
    }
    return root;
}

std::unique_ptr<CTestNode> MakeGraph()
{
    return MakeGraphOf<CTestNode, CTestLeaf>();
}

std::string BenchPath(const char* tag)
{
    return (std::filesystem::temp_directory_path() /
            ("zr_bench_archive_" + std::string(tag) + "_" + std::to_string(::getpid())))
        .string();
}

void Report(benchmark::State& state, const std::string& path)
{
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
    state.counters["objects"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kObjects, benchmark::Counter::kIsRate);
}

bool Store(CTestNode* root, const std::string& path)
{
    QFFileStream stream;
    if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kWrite))
        return false;
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
    QFSerializePointer(&archive, &root, "Root");
    bool ok = !archive.Failed();
    archive.EndDocument();
    return stream.Close() && ok;
}

void BM_ArchiveStore(benchmark::State& state)
{
    RegisterTestClasses();
    auto graph = MakeGraph();
    std::string path = BenchPath("store");
    for (auto _ : state)
        if (!Store(graph.get(), path))
            state.SkipWithError("store failed");
    Report(state, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ArchiveStore)->Unit(benchmark::kMillisecond);

void BM_ArchiveLoad(benchmark::State& state)
{
    RegisterTestClasses();
    std::string path = BenchPath("load");
    Store(MakeGraph().get(), path);
    for (auto _ : state) {
        QFFileStream stream;
        stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead);
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        CTestNode* root = nullptr;
        QFSerializePointer(&archive, &root, "Root");
        archive.EndDocument();
        if (archive.Failed() || !root)
            state.SkipWithError(("load failed: " + archive.FailReason()).c_str());
        delete root;
    }
    Report(state, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ArchiveLoad)->Unit(benchmark::kMillisecond);

// The limit: reading the same bytes in one fread.
void BM_FreadSameBytes(benchmark::State& state)
{
    RegisterTestClasses();
    std::string path = BenchPath("fread");
    Store(MakeGraph().get(), path);
    std::vector<char> buffer(std::filesystem::file_size(path));
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        size_t got = file ? std::fread(buffer.data(), 1, buffer.size(), file) : 0;
        if (file)
            std::fclose(file);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(buffer.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_FreadSameBytes)->Unit(benchmark::kMillisecond);

// A map of the largest width a scenario may have (1,024 tiles) by 768 rows, and its path grid with one cell in 400
// subdivided (the scenario editor subdivides at most 2,500): the tile map as the archive stores it, then the
// grid's record written out.
constexpr int kMapColumns = 1024;
constexpr int kMapRows = 768;

bool StoreLargeMap(const std::string& path)
{
    {
        CMap2DLinked map;
        map.CreateGrid(kMapColumns, kMapRows, 7);
        CMap2DLinked* top = &map;
        QFFileStream stream;
        if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kWrite))
            return false;
        QFArchive archive;
        archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
        QFSerializePointer(&archive, &top, "Map");
        archive.EndDocument();
        if (!stream.Close())
            return false;
    }
    ByteWriter grid;
    grid.ObjectHead(1, "CPathData").Int16(1).Int32(0);
    for (int cell = 0; cell < kMapColumns * kMapRows; ++cell) {
        if (cell % 400 != 0) {
            grid.Int8(20 + cell % 7).Int16(5);
            continue;
        }
        for (int sub = 0; sub < 16; ++sub)
            grid.Int8(10 + sub).Int16(0x400 | 3);
    }
    FILE* file = std::fopen(path.c_str(), "ab");
    bool ok = file && std::fwrite(grid.Bytes().data(), 1, grid.Size(), file) == grid.Size();
    return file && std::fclose(file) == 0 && ok;
}

void BM_LargeMapLoad(benchmark::State& state)
{
    RegisterTestClasses();
    std::string path = BenchPath("map");
    if (!StoreLargeMap(path))
        state.SkipWithError("cannot write the map");
    for (auto _ : state) {
        QFFileStream stream;
        stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead);
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        CMap2DLinked* map = nullptr;
        CPathData* grid = nullptr;
        QFSerializePointer(&archive, &map, "Map");
        SetCurrentMap(map);
        QFSerializePointer(&archive, &grid, "PathData");
        archive.EndDocument();
        if (archive.Failed() || !map || !grid || grid->GetRows() != kMapRows)
            state.SkipWithError(("load failed: " + archive.FailReason()).c_str());
        delete grid;
        delete map;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LargeMapLoad)->Unit(benchmark::kMillisecond);

#ifdef ZR_HAVE_BOOST_SERIALIZATION
// The same graph in Boost's own terms: polymorphic leaves and nodes reached through owning pointers, the shared
// leaf through a tracked second pointer, the items as a vector of pointers.
struct BoostLeaf {
    virtual ~BoostLeaf() = default;
    int32_t m_nValue = 0;
    std::string m_strText = "default";
    template <class Archive> void serialize(Archive& archive, unsigned)
    {
        archive& m_nValue;
        archive& m_strText;
    }
};

struct BoostNode {
    virtual ~BoostNode()
    {
        delete m_pLeaf;
        delete m_pChild;
        for (BoostLeaf* item : m_items)
            delete item;
    }
    int32_t m_nId = 0;
    BoostLeaf* m_pLeaf = nullptr;
    BoostNode* m_pChild = nullptr;
    BoostLeaf* m_pShared = nullptr;
    std::vector<BoostLeaf*> m_items;
    template <class Archive> void serialize(Archive& archive, unsigned)
    {
        archive& m_nId;
        archive& m_pLeaf;
        archive& m_pChild;
        archive& m_pShared;
        archive& m_items;
    }
};

std::unique_ptr<BoostNode> MakeBoostGraph()
{
    return MakeGraphOf<BoostNode, BoostLeaf>();
}

void BoostStore(const BoostNode* root, const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    boost::archive::binary_oarchive archive(out);
    archive << root;
}

void BM_BoostStore(benchmark::State& state)
{
    auto graph = MakeBoostGraph();
    std::string path = BenchPath("boost_store");
    for (auto _ : state)
        BoostStore(graph.get(), path);
    Report(state, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_BoostStore)->Unit(benchmark::kMillisecond);

void BM_BoostLoad(benchmark::State& state)
{
    std::string path = BenchPath("boost_load");
    BoostStore(MakeBoostGraph().get(), path);
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        BoostNode* root = nullptr;
        {
            boost::archive::binary_iarchive archive(in);
            archive >> root;
        }
        if (!root || root->m_items.size() != kItemsPerNode)
            state.SkipWithError("boost load failed");
        delete root;
    }
    Report(state, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_BoostLoad)->Unit(benchmark::kMillisecond);
#endif

} // namespace
