// Tests of the binary archive: byte goldens, shared objects, forward references, versions and bad input.
#include "ArchiveTestUtil.h"
#include "support/ByteWriter.h"

#include <climits>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

constexpr int kBinary = QFArchive::kBinary;

// A version-2 leaf's own bytes, after its head.
ByteWriter& LeafBody(ByteWriter& w, int32_t value, const std::string& text)
{
    return w.Int16(2).Int32(value).String(text);
}

class ArchiveBinaryTest : public PersistTest {};

TEST_F(ArchiveBinaryTest, LoneObjectIsItsHeadVersionAndMembers)
{
    CTestLeaf leaf;
    leaf.m_nValue = 0x01020304;
    leaf.m_strText = "ab";
    ByteWriter expected;
    expected.ObjectHead(0, "CTestLeaf");
    LeafBody(expected, 0x01020304, "ab");
    EXPECT_EQ(StoreDocument(&leaf, kBinary), expected.Bytes());
    EXPECT_EQ(expected.Bytes().substr(0, 18), std::string("\x02\0\0\0\0\x09\0\0\0CTestLeaf", 18));

    Loaded<CTestLeaf> loaded = LoadDocument<CTestLeaf>(expected.Bytes(), kBinary);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    ASSERT_NE(loaded.object, nullptr);
    EXPECT_EQ(loaded.object->m_nValue, 0x01020304);
    EXPECT_EQ(loaded.object->m_strText, "ab");
}

TEST_F(ArchiveBinaryTest, NullPointerIsFiveZeroBytes)
{
    CTestLeaf* none = nullptr;
    std::string bytes = StoreDocument(none, kBinary);
    EXPECT_EQ(bytes, std::string(5, '\0'));
    Loaded<CTestLeaf> loaded = LoadDocument<CTestLeaf>(bytes, kBinary);
    EXPECT_FALSE(loaded.failed);
    EXPECT_EQ(loaded.object, nullptr);
}

TEST_F(ArchiveBinaryTest, ObjectReachedTwiceIsWrittenOnceThenReferenced)
{
    CTestNode node;
    node.m_nId = 7;
    node.m_pLeaf = new CTestLeaf;
    node.m_pLeaf->m_nValue = 5;
    node.m_pLeaf->m_strText = "";
    node.m_pShared = node.m_pLeaf;

    ByteWriter expected;
    expected.ObjectHead(0, "CTestNode").Int16(1).Int32(7).ObjectHead(1, "CTestLeaf");
    LeafBody(expected, 5, "");
    expected.NullPointer().Reference(1).Int32(0);
    EXPECT_EQ(StoreDocument(&node, kBinary), expected.Bytes());

    Loaded<CTestNode> loaded = LoadDocument<CTestNode>(expected.Bytes(), kBinary);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    ASSERT_NE(loaded.object->m_pLeaf, nullptr);
    EXPECT_EQ(loaded.object->m_pShared, loaded.object->m_pLeaf);
    EXPECT_EQ(loaded.object->m_pLeaf->m_nValue, 5);
    EXPECT_EQ(loaded.object->m_pLeaf->m_strText, "");
}

TEST_F(ArchiveBinaryTest, ForwardReferencesAreResolved)
{
    // The shared leaf comes as a forward record (tag 6), the object itself later as an item.
    ByteWriter later;
    later.ObjectHead(0, "CTestNode").Int16(1).Int32(1).NullPointer().NullPointer().Record(6, 1).Int32(1);
    LeafBody(later.ObjectHead(1, "CTestLeaf"), 11, "item");
    Loaded<CTestNode> a = LoadDocument<CTestNode>(later.Bytes(), kBinary);
    ASSERT_FALSE(a.failed) << a.reason;
    ASSERT_EQ(a.object->m_items.size(), 1u);
    EXPECT_EQ(a.object->m_pShared, a.object->m_items[0]);

}

TEST_F(ArchiveBinaryTest, ForwardRecordForAnOwnedMemberFails)
{
    // A forward record (tag 5 or 6) where a member owns its object, in a member and at the top level: the
    // member would be filled later through an address that may be gone.
    for (int tag : {5, 6}) {
        SCOPED_TRACE(tag);
        ByteWriter inMember;
        inMember.ObjectHead(0, "CTestNode").Int16(1).Int32(2).Record(tag, 4).NullPointer();
        LeafBody(inMember.ObjectHead(4, "CTestLeaf"), 12, "own");
        inMember.Reference(4).Int32(0);
        Loaded<CTestNode> b = LoadDocument<CTestNode>(inMember.Bytes(), kBinary);
        EXPECT_TRUE(b.failed);
        EXPECT_NE(b.reason.find("forward reference"), std::string::npos) << b.reason;

        ByteWriter top;
        top.Record(tag, 0);
        top.ObjectHead(0, "CTestNode").Int16(1).Int32(2).NullPointer().NullPointer().NullPointer().Int32(0);
        Loaded<CTestNode> c = LoadDocument<CTestNode>(top.Bytes(), kBinary);
        EXPECT_TRUE(c.failed);
        EXPECT_EQ(c.object, nullptr);
    }
}

TEST_F(ArchiveBinaryTest, VersionGatesMembers)
{
    struct Case {
        int fileVersion;
        bool hasOld, hasText;
        const char* text;
    } cases[] = {
        {1, true, false, "default"}, // retired member consumed, new member left at its default
        {2, false, true, "two"},
        {5, false, true, "five"}, // a newer file reads as the current layout
    };
    for (const Case& c : cases) {
        ByteWriter w;
        w.ObjectHead(0, "CTestNode").Int16(1).Int32(3).ObjectHead(1, "CTestLeaf").Int16(c.fileVersion).Int32(8);
        if (c.hasOld)
            w.Int32(99);
        if (c.hasText)
            w.String(c.text);
        w.NullPointer().NullPointer().Int32(0);
        Loaded<CTestNode> loaded = LoadDocument<CTestNode>(w.Bytes(), kBinary);
        ASSERT_FALSE(loaded.failed) << c.fileVersion << ": " << loaded.reason;
        ASSERT_NE(loaded.object->m_pLeaf, nullptr);
        EXPECT_EQ(loaded.object->m_pLeaf->m_nValue, 8);
        EXPECT_EQ(loaded.object->m_pLeaf->m_strText, c.text);
        EXPECT_EQ(loaded.object->m_nId, 3);
    }
}

TEST_F(ArchiveBinaryTest, SubclassPassesAsItsBase)
{
    CTestNode node;
    auto* special = new CTestSpecialLeaf;
    special->m_nValue = 4;
    special->m_cMark = 'Q';
    node.m_pLeaf = special;
    node.m_items = {new CTestLeaf, nullptr};
    std::string bytes = StoreDocument(&node, kBinary);
    Loaded<CTestNode> loaded = LoadDocument<CTestNode>(bytes, kBinary);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    auto* back = dynamic_cast<CTestSpecialLeaf*>(loaded.object->m_pLeaf);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_nValue, 4);
    EXPECT_EQ(back->m_cMark, 'Q');
    ASSERT_EQ(loaded.object->m_items.size(), 2u);
    EXPECT_NE(loaded.object->m_items[0], nullptr);
    EXPECT_EQ(loaded.object->m_items[1], nullptr);
    // Stored again, the loaded graph gives the same bytes.
    EXPECT_EQ(StoreDocument(loaded.object.get(), kBinary), bytes);
}

TEST_F(ArchiveBinaryTest, SeveralTopLevelPointersShareOneDocument)
{
    CTestLeaf leaf;
    leaf.m_nValue = 3;
    CTestLeaf* first = &leaf;
    CTestNode node;
    CTestNode* second = &node;
    std::string bytes = StoreWith(kBinary, [&](QFArchive& archive) {
        QFSerializePointer(&archive, &first, "Map");
        QFSerializePointer(&archive, &second, "Sprites");
    });
    TempFolder folder;
    WriteBytes(folder.File("doc"), bytes);
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("doc"), QFFileStream::kBinary, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, kBinary);
    CTestLeaf* a = nullptr;
    CTestNode* b = nullptr;
    QFSerializePointer(&archive, &a, "Map");
    QFSerializePointer(&archive, &b, "Sprites");
    EXPECT_FALSE(archive.Failed());
    archive.EndDocument();
    std::unique_ptr<CTestLeaf> ownA(a);
    std::unique_ptr<CTestNode> ownB(b);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->m_nValue, 3);
    EXPECT_EQ(archive.GetMode(), QFArchive::kLoading);
}

// Each bad document fails cleanly: the top-level member stays null and nothing leaks.
TEST_F(ArchiveBinaryTest, BadInputFailsTheDocument)
{
    auto node = [](int id) {
        ByteWriter w;
        w.ObjectHead(id, "CTestNode").Int16(1).Int32(1);
        return w;
    };
    std::vector<std::pair<const char*, std::string>> cases;
    cases.emplace_back("empty file", "");
    cases.emplace_back("cut inside a head", std::string("\x02\0\0", 3));
    cases.emplace_back("unknown class", ByteWriter().ObjectHead(0, "CNoSuchClass").Int16(1).Bytes());
    cases.emplace_back("empty class name", ByteWriter().ObjectHead(0, "").Bytes());
    cases.emplace_back("class name over 255",
                       ByteWriter().Int8(2).Int32(0).Int32(256).Raw(std::string(256, 'A')).Bytes());
    cases.emplace_back("negative class name", ByteWriter().Int8(2).Int32(0).Int32(-1).Bytes());
    cases.emplace_back("string over the file",
                       ByteWriter().ObjectHead(0, "CTestLeaf").Int16(2).Int32(1).Int32(1000).Raw("abc").Bytes());
    cases.emplace_back("string over 16 MiB",
                       ByteWriter().ObjectHead(0, "CTestLeaf").Int16(2).Int32(1).Int32(INT32_MAX).Bytes());
    for (int tag : {3, 4, 7, 127, -1})
        cases.emplace_back("unknown tag", ByteWriter().Record(tag, 0).Bytes());
    cases.emplace_back("wrong class at the top", LeafBody(ByteWriter().ObjectHead(0, "CTestLeaf"), 1, "x").Bytes());
    {
        ByteWriter w = node(0);
        w.Raw(node(1).Bytes()).NullPointer().NullPointer().NullPointer().Int32(0); // a node where a leaf belongs
        w.NullPointer().NullPointer().Int32(0);
        cases.emplace_back("wrong class in a member", w.Bytes());
    }
    {
        ByteWriter w = node(0);
        w.NullPointer().Reference(0).NullPointer().Int32(0); // the node would own itself
        cases.emplace_back("reference into an owning member", w.Bytes());
    }
    {
        ByteWriter w = node(0);
        w.NullPointer().NullPointer();
        LeafBody(w.ObjectHead(1, "CTestLeaf"), 1, "x").Int32(0); // nothing would own it
        cases.emplace_back("object into a non-owning member", w.Bytes());
    }
    {
        ByteWriter w = node(0);
        w.NullPointer().NullPointer().NullPointer().Int32(INT32_MAX).NullPointer().NullPointer();
        cases.emplace_back("count past the data", w.Bytes());
    }
    {
        ByteWriter w;
        for (int depth = 0; depth < QFArchive::kMaxDepth + 10; ++depth)
            w.ObjectHead(depth, "CTestNode").Int16(1).Int32(depth).NullPointer();
        cases.emplace_back("nested too deeply", w.Bytes());
    }
    std::mt19937 random(1234);
    for (int i = 0; i < 20; ++i) {
        std::string garbage = node(0).Bytes();
        for (int j = 0; j < 64; ++j)
            garbage.push_back(static_cast<char>(random() & 0xFF));
        garbage[24] = "\x00\x01\x02\x05\x06"[i % 5]; // the first member's pointer tag
        cases.emplace_back("garbage", garbage);
    }

    for (const auto& [what, bytes] : cases) {
        Loaded<CTestNode> loaded = LoadDocument<CTestNode>(bytes, kBinary);
        if (std::string(what) == "garbage" && !loaded.failed)
            continue; // random bytes may spell a valid node
        EXPECT_TRUE(loaded.failed) << what;
        EXPECT_EQ(loaded.object, nullptr) << what;
        EXPECT_FALSE(loaded.reason.empty()) << what;
    }
}

// A document cut at any byte fails and loads nothing.
TEST_F(ArchiveBinaryTest, EveryTruncationFails)
{
    CTestNode root;
    root.m_pLeaf = new CTestLeaf;
    root.m_pLeaf->m_strText = "some text";
    root.m_pShared = root.m_pLeaf;
    root.m_pChild = new CTestNode;
    root.m_pChild->m_items = {new CTestSpecialLeaf, new CTestLeaf};
    std::string bytes = StoreDocument(&root, kBinary);
    for (size_t length = 0; length < bytes.size(); ++length) {
        Loaded<CTestNode> loaded = LoadDocument<CTestNode>(bytes.substr(0, length), kBinary);
        EXPECT_TRUE(loaded.failed) << length;
        EXPECT_EQ(loaded.object, nullptr) << length;
    }
    EXPECT_FALSE(LoadDocument<CTestNode>(bytes, kBinary).failed);
}

TEST_F(ArchiveBinaryTest, FailureIsStickyAndClearedByTheNextDocument)
{
    TempFolder folder;
    WriteBytes(folder.File("doc"), std::string("\x01\x02", 2));
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("doc"), QFFileStream::kBinary, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, kBinary);
    int32_t value = 77;
    QFSerializeValue(&archive, &value, "v"); // 2 bytes where 4 are needed
    EXPECT_TRUE(archive.Failed());
    EXPECT_EQ(value, 77);
    int16_t small = 5;
    EXPECT_TRUE(QFSerializeValue(&archive, &small, "s")); // handlers still answer true
    EXPECT_EQ(small, 5);
    archive.EndDocument();
    EXPECT_TRUE(archive.Failed());
    stream.Close();
    ASSERT_TRUE(stream.Open(folder.File("doc"), QFFileStream::kBinary, QFFileStream::kRead));
    archive.BeginDocument(QFArchive::kLoading, &stream, kBinary);
    EXPECT_FALSE(archive.Failed());
    QFSerializeValue(&archive, &small, "s");
    EXPECT_EQ(small, 0x0201);
    archive.EndDocument();
}

TEST_F(ArchiveBinaryTest, StoringReportsAFailedWrite)
{
    QFFileStream stream;
    if (!stream.Open("/dev/full", QFFileStream::kBinary, QFFileStream::kWrite))
        GTEST_SKIP() << "no /dev/full";
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, kBinary);
    std::string big(1 << 20, 'x');
    QFSerializeValue(&archive, &big, "big");
    EXPECT_TRUE(archive.Failed());
    archive.EndDocument();
    stream.Close();
}

// Objects are found by id whatever the ids are: far apart, out of order, or never loaded.
TEST_F(ArchiveBinaryTest, ReferencesFindObjectsUnderAnyId)
{
    struct Case {
        int32_t leafId;
        int32_t referenceId;
        bool found;
    };
    const Case cases[] = {{1, 1, true},       {9, 9, true},  {5000, 5000, true}, {INT32_MAX, INT32_MAX, true},
                          {4096, 4096, true}, {7, 8, false}, {-3, -3, false},    {70000, 69999, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leafId);
        ByteWriter w;
        w.ObjectHead(0, "CTestNode").Int16(1).Int32(1);
        LeafBody(w.ObjectHead(c.leafId, "CTestLeaf"), 4, "x");
        w.NullPointer().Reference(c.referenceId).Int32(0);
        Loaded<CTestNode> loaded = LoadDocument<CTestNode>(w.Bytes(), kBinary);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        ASSERT_NE(loaded.object->m_pLeaf, nullptr);
        EXPECT_EQ(loaded.object->m_pShared, c.found ? loaded.object->m_pLeaf : nullptr);
    }
}

// A graph of many objects with strings longer than a piece of read-ahead, so records and strings straddle pieces.
std::unique_ptr<CTestNode> MakeWideGraph()
{
    auto root = std::make_unique<CTestNode>();
    for (int i = 0; i < 5000; ++i) {
        auto* leaf = i % 7 == 3 ? new CTestSpecialLeaf : new CTestLeaf;
        leaf->m_nValue = i;
        leaf->m_strText = i % 1000 == 17 ? std::string(70000 + i, static_cast<char>('a' + i % 26)) : std::to_string(i);
        root->m_items.push_back(leaf);
    }
    root->m_pLeaf = new CTestLeaf;
    root->m_pShared = root->m_pLeaf;
    return root;
}

void ExpectSameGraph(const CTestNode& a, const CTestNode& b)
{
    ASSERT_EQ(a.m_items.size(), b.m_items.size());
    for (size_t i = 0; i < a.m_items.size(); ++i) {
        EXPECT_EQ(a.m_items[i]->m_nValue, b.m_items[i]->m_nValue) << i;
        EXPECT_EQ(a.m_items[i]->m_strText, b.m_items[i]->m_strText) << i;
        EXPECT_EQ(a.m_items[i]->GetClassName(), b.m_items[i]->GetClassName()) << i;
    }
    ASSERT_NE(b.m_pLeaf, nullptr);
    EXPECT_EQ(b.m_pShared, b.m_pLeaf);
}

// A file whose size is not known (a pipe) is read ahead in pieces; the document comes out the same.
TEST_F(ArchiveBinaryTest, DocumentReadFromAPipeInPieces)
{
    auto graph = MakeWideGraph();
    const std::string bytes = StoreDocument(graph.get(), kBinary);
    ASSERT_GT(bytes.size(), 4u << 16);
    TempFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A reader that stops early makes the writer's next write fail rather than end the program.
    auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        std::ofstream out(fifo, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(fifo, QFFileStream::kBinary, QFFileStream::kRead));
    EXPECT_EQ(stream.BytesLeft(), -1);
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, kBinary);
    CTestNode* root = nullptr;
    QFSerializePointer(&archive, &root, "Root");
    std::unique_ptr<CTestNode> loaded(root);
    EXPECT_FALSE(archive.Failed()) << archive.FailReason();
    archive.EndDocument();
    stream.Close();
    writer.join();
    std::signal(SIGPIPE, oldPipe);
    ASSERT_NE(loaded, nullptr);
    ExpectSameGraph(*graph, *loaded);
}

// The whole file is read at once, but after the document the stream stands where the document ended.
TEST_F(ArchiveBinaryTest, StreamStandsWhereTheDocumentEnded)
{
    CTestLeaf leaf;
    leaf.m_strText = "body";
    const std::string tail = "after the document";
    TempFolder folder;
    WriteBytes(folder.File("doc"), StoreDocument(&leaf, kBinary) + tail);
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("doc"), QFFileStream::kBinary, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, kBinary);
    CTestLeaf* loaded = nullptr;
    QFSerializePointer(&archive, &loaded, "Root");
    std::unique_ptr<CTestLeaf> owned(loaded);
    archive.EndDocument();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->m_strText, "body");
    EXPECT_EQ(stream.BytesLeft(), static_cast<long long>(tail.size()));
    std::string rest(tail.size() + 8, '\0');
    int length = static_cast<int>(rest.size());
    ASSERT_TRUE(stream.Read(rest.data(), &length));
    EXPECT_EQ(rest.substr(0, static_cast<size_t>(length)), tail);
}

} // namespace
