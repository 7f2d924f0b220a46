// Tests of the text dump: exact lines, shallow pointers, long lines, and that loading it reads nothing.
#include "ArchiveTestUtil.h"

namespace {

constexpr int kTextDump = QFArchive::kTextDump;

class ArchiveTextTest : public PersistTest {};

TEST_F(ArchiveTextTest, DumpIsWrittenExactly)
{
    CTestNode node;
    node.m_nId = -4;
    auto* special = new CTestSpecialLeaf;
    special->m_nValue = 5;
    special->m_strText = "hi there";
    special->m_cMark = 'M';
    node.m_pLeaf = special;
    node.m_pShared = special;
    node.m_items = {nullptr};
    bool flag = true;
    uint32_t big = 3000000000u;
    const std::string expected = "Root = Object<CTestNode>\n"
                                 "\n[BaseClass]\n"
                                 "m_versionNum = 1\n"
                                 "\n[Members]\n"
                                 "m_nId = -4\n"
                                 "m_pLeaf = Object<CTestSpecialLeaf>\n"
                                 "\n[BaseClass]\n"
                                 "m_versionNum = 2\n"
                                 "\n[Members]\n"
                                 "m_nValue = 5\n"
                                 "m_strText = \"hi there\"\n"
                                 "m_versionNum = 1\n"
                                 "\n[Members]\n"
                                 "m_cMark = 'M'\n"
                                 "m_pChild = Object<NULL>\n"
                                 "nCount = 1\n"
                                 "pItem = Object<NULL>\n"
                                 "flag = True\n"
                                 "big = -1294967296\n";
    CTestNode* root = &node;
    std::string text = StoreWith(kTextDump, [&](QFArchive& archive) {
        QFSerializePointer(&archive, &root, "Root");
        QFSerializeValue(&archive, &flag, "flag");
        QFSerializeValue(&archive, &big, "big");
    });
    EXPECT_EQ(text, expected);
}

TEST_F(ArchiveTextTest, ShallowPointersSkipPointersInsideObjects)
{
    CTestNode node;
    node.m_pLeaf = new CTestLeaf;
    CTestNode* root = &node;
    std::string text = StoreWith(kTextDump, [&](QFArchive& archive) {
        archive.SetShallowPointers(1);
        QFSerializePointer(&archive, &root, "Root");
    });
    EXPECT_NE(text.find("Root = Object<CTestNode>\n"), std::string::npos);
    EXPECT_EQ(text.find("m_pLeaf"), std::string::npos);
    EXPECT_EQ(text.find("m_pChild"), std::string::npos);
    EXPECT_NE(text.find("nCount = 0\n"), std::string::npos);
}

TEST_F(ArchiveTextTest, LongLinesAreWrittenWhole)
{
    std::string text(20000, 'w');
    std::string dump = StoreWith(kTextDump, [&](QFArchive& archive) { QFSerializeValue(&archive, &text, "m_text"); });
    EXPECT_EQ(dump, "m_text = \"" + text + "\"\n");
}

TEST_F(ArchiveTextTest, LoadingReadsNothing)
{
    TempFolder folder;
    WriteBytes(folder.File("dump"), "Root = Object<CTestNode>\nv = 5\n");
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("dump"), QFFileStream::kText, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, kTextDump);
    CTestNode* root = nullptr;
    int32_t value = 9;
    QFSerializePointer(&archive, &root, "Root");
    QFSerializeValue(&archive, &value, "v");
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(archive.Failed());
    archive.EndDocument();
}

TEST_F(ArchiveTextTest, ObjectMapsDump)
{
    CTestLeaf leaf;
    QFArchive archive;
    archive.Reset(QFArchive::kStoring, nullptr, kTextDump, 1, 0); // skip pointers: nothing is written
    int32_t id = -1;
    archive.SetSkipPointers(0);
    archive.SetFailed("ignored"); // writes stop; the maps still fill
    archive.LookupStoreId(&leaf, &id);
    EXPECT_EQ(id, 0);
    std::string dump = archive.DumpObjectMaps();
    EXPECT_EQ(dump.rfind("\n\nDumping Object Maps:\n  Store Map:\n", 0), 0u);
    EXPECT_NE(dump.find("   <CTestLeaf>\n  Load Map:\n  Store Future Map:\n  Load Future Map:\n\n\n\n"),
              std::string::npos);
}

} // namespace
