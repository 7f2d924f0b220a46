// Tests of the binary archive: byte goldens, shared objects, forward references, versions and bad input.
#include "ArchiveTestUtil.h"
#include "support/ByteWriter.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

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

} // namespace
