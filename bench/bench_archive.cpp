// Binary archive store and load of a graph of 10,000 small objects, beside a plain fread of the same bytes.
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "support/PersistTestClasses.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kNodes = 100;
constexpr int kItemsPerNode = 98; // 100 nodes, each with one own leaf and 98 items: 10,000 objects

std::unique_ptr<CTestNode> MakeGraph()
{
    auto root = std::make_unique<CTestNode>();
    CTestNode* node = root.get();
    for (int n = 0; n < kNodes; ++n) {
        node->m_nId = n;
        node->m_pLeaf = new CTestLeaf;
        node->m_pShared = node->m_pLeaf; // a second reference to an object written just before
        for (int i = 0; i < kItemsPerNode; ++i) {
            auto* leaf = new CTestLeaf;
            leaf->m_nValue = n * 1000 + i;
            leaf->m_strText = "leaf";
            node->m_items.push_back(leaf);
        }
        if (n + 1 < kNodes)
            node = node->m_pChild = new CTestNode;
    }
    return root;
}

std::string BenchPath()
{
    return (std::filesystem::temp_directory_path() / ("zr_bench_archive_" + std::to_string(::getpid()))).string();
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
    std::string path = BenchPath();
    for (auto _ : state)
        if (!Store(graph.get(), path))
            state.SkipWithError("store failed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ArchiveStore)->Unit(benchmark::kMillisecond);

void BM_ArchiveLoad(benchmark::State& state)
{
    RegisterTestClasses();
    std::string path = BenchPath();
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
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ArchiveLoad)->Unit(benchmark::kMillisecond);

// The limit: reading the same bytes in one fread.
void BM_FreadSameBytes(benchmark::State& state)
{
    RegisterTestClasses();
    std::string path = BenchPath();
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

} // namespace
