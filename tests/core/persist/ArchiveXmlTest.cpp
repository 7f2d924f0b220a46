// Tests of the XML archive: exact text, value round trips in binary and XML, the tag reader and bad input.
#include "ArchiveTestUtil.h"

#include <climits>
#include <cstdint>
#include <sstream>
#include <vector>

namespace {

constexpr int kXML = QFArchive::kXML;
constexpr int kBinary = QFArchive::kBinary;
const std::string kHead = "<? xml version = \"1.0\" standalone = \"yes\" ?>\n<XML>\n";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class ArchiveXmlTest : public PersistTest {};

TEST_F(ArchiveXmlTest, SmallNestedObjectIsWrittenExactly)
{
    CTestNode node;
    node.m_nId = 3;
    node.m_pLeaf = new CTestLeaf;
    node.m_pLeaf->m_nValue = 5;
    node.m_pLeaf->m_strText = "hi";
    node.m_pShared = node.m_pLeaf;
    node.m_items = {nullptr};
    const std::string expected = kHead + R"(<obj name="Root" type="CTestNode" id="0">
 <BaseClass>
 </BaseClass>
 <var name="m_versionNum" type="short">
  1
 </var name="m_versionNum">
 <Members>
  <var name="m_nId" type="int">
   3
  </var name="m_nId">
  <obj name="m_pLeaf" type="CTestLeaf" id="1">
   <BaseClass>
   </BaseClass>
   <var name="m_versionNum" type="short">
    2
   </var name="m_versionNum">
   <Members>
    <var name="m_nValue" type="int">
     5
    </var name="m_nValue">
    <var name="m_strText" type="string">
     "hi"
    </var name="m_strText">
   </Members>
  </obj name="m_pLeaf">
  <null obj name="m_pChild">
  <old obj name="m_pShared" type="CTestLeaf" id="1">
  <var name="nCount" type="int">
   1
  </var name="nCount">
  <null obj name="pItem">
 </Members>
</obj name="Root">
</XML>
)";
    std::string text = StoreDocument(&node, kXML);
    EXPECT_EQ(text, expected);

    Loaded<CTestNode> loaded = LoadDocument<CTestNode>(text, kXML);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.object->m_nId, 3);
    ASSERT_NE(loaded.object->m_pLeaf, nullptr);
    EXPECT_EQ(loaded.object->m_pLeaf->m_strText, "hi");
    EXPECT_EQ(loaded.object->m_pShared, loaded.object->m_pLeaf);
    EXPECT_EQ(loaded.object->m_items.size(), 1u);
    EXPECT_EQ(StoreDocument(loaded.object.get(), kXML), expected);
}

// Stores one value in a format and reads it back into `loaded`; answers the stored file.
template <class T, class Handler>
std::string RoundTrip(int format, Handler handler, T value, T* loaded, const std::string& name = "v")
{
    std::string stored = StoreWith(format, [&](QFArchive& archive) { EXPECT_TRUE(handler(&archive, &value, name)); });
    TempFolder folder;
    WriteBytes(folder.File("doc"), stored);
    QFFileStream stream;
    EXPECT_TRUE(stream.Open(folder.File("doc"), StreamType(format), QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, format);
    EXPECT_TRUE(handler(&archive, loaded, name));
    EXPECT_FALSE(archive.Failed()) << archive.FailReason();
    archive.EndDocument();
    EXPECT_FALSE(archive.Failed()) << archive.FailReason();
    return stored;
}

// One value type: every value round-trips in binary and XML, with its type name, XML value line and width.
template <class T, class Handler>
void CheckValues(Handler handler, const char* typeName, int width, std::vector<std::pair<T, std::string>> cases,
                 T other)
{
    for (const auto& [value, xmlLine] : cases) {
        T loaded = other;
        std::string bytes = RoundTrip(kBinary, handler, value, &loaded);
        EXPECT_EQ(loaded, value) << typeName;
        if (width > 0) {
            EXPECT_EQ(static_cast<int>(bytes.size()), width) << typeName;
        }
        loaded = other;
        std::string text = RoundTrip(kXML, handler, value, &loaded);
        EXPECT_EQ(loaded, value) << typeName << " " << xmlLine;
        std::vector<std::string> lines = Lines(text);
        ASSERT_EQ(lines.size(), 6u) << text;
        EXPECT_EQ(lines[2], std::string("<var name=\"v\" type=\"") + typeName + "\">");
        EXPECT_EQ(lines[3], " " + xmlLine);
        EXPECT_EQ(lines[4], "</var name=\"v\">");
    }
}

TEST_F(ArchiveXmlTest, EveryValueTypeRoundTrips)
{
    auto asInt = [](QFArchive* a, int32_t* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    auto asLong = [](QFArchive* a, int32_t* v, const std::string& n) { return QFSerializeLong(a, v, n); };
    auto asShort = [](QFArchive* a, int16_t* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    auto asUInt = [](QFArchive* a, uint32_t* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    auto asULong = [](QFArchive* a, uint32_t* v, const std::string& n) { return QFSerializeULong(a, v, n); };
    auto asUShort = [](QFArchive* a, uint16_t* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    auto asChar = [](QFArchive* a, char* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    auto asBool = [](QFArchive* a, bool* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    auto asString = [](QFArchive* a, std::string* v, const std::string& n) { return QFSerializeValue(a, v, n); };

    CheckValues<int32_t>(asInt, "int", 4, {{0, "0"}, {-1, "-1"}, {INT32_MIN, "-2147483648"}, {INT32_MAX, "2147483647"}}, 9);
    CheckValues<int32_t>(asLong, "long", 4, {{123456, "123456"}, {-7, "-7"}}, 9);
    CheckValues<int16_t>(asShort, "short", 2, {{-32768, "-32768"}, {32767, "32767"}, {-2, "-2"}}, 9);
    CheckValues<uint32_t>(asUInt, "unsigned_int", 4, {{3000000000u, "-1294967296"}, {UINT32_MAX, "-1"}, {7, "7"}}, 9);
    CheckValues<uint32_t>(asULong, "unsigned_long", 4, {{2147483648u, "-2147483648"}, {0, "0"}}, 9);
    CheckValues<uint16_t>(asUShort, "unsigned_short", 2, {{65535, "65535"}, {0, "0"}}, 9);
    CheckValues<char>(asChar, "char", 1, {{'a', "<\">a</\">"}, {' ', "<\"> </\">"}, {'"', "<\">\"</\">"}}, 'z');
    CheckValues<bool>(asBool, "bool", 1, {{true, "True"}, {false, "False"}}, true);
    CheckValues<bool>(asBool, "bool", 1, {{true, "True"}}, false);
    CheckValues<std::string>(asString, "string", -1,
                             {{"", "\"\""}, {"text with blanks", "\"text with blanks\""}, {"a\"b\"", "\"a\"b\"\""},
                              {"<tag> = \"x\"", "\"<tag> = \"x\"\""}},
                             "other");

    // Strings go as a length and their bytes; a long one needs no line buffer in XML.
    std::string loaded;
    EXPECT_EQ(RoundTrip(kBinary, asString, std::string("abc"), &loaded), std::string("\x03\0\0\0abc", 7));
    std::string longText(100000, 'L');
    longText[50000] = ' ';
    RoundTrip(kXML, asString, longText, &loaded);
    EXPECT_EQ(loaded, longText);
}

TEST_F(ArchiveXmlTest, ValueLinesAreReadAsThePartsSay)
{
    struct Case {
        const char* line;
        bool expected;
    } bools[] = {{"True", true}, {"tRuE", true}, {"TRUEly", true}, {"Tr", false}, {"False", false}, {"", false}};
    for (const Case& c : bools) {
        bool value = !c.expected;
        std::string text = kHead + "<var name=\"b\" type=\"bool\">\n  " + c.line + "\n</var name=\"b\">\n</XML>\n";
        TempFolder folder;
        WriteBytes(folder.File("doc"), text);
        QFFileStream stream;
        ASSERT_TRUE(stream.Open(folder.File("doc"), QFFileStream::kText, QFFileStream::kRead));
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, kXML);
        QFSerializeValue(&archive, &value, "b");
        EXPECT_EQ(value, c.expected) << c.line;
        archive.EndDocument();
        EXPECT_FALSE(archive.Failed());
    }

    // A string beginning with double quotes loses them; a short keeps the low 16 bits of the number.
    std::string text = kHead + "<var name=\"s\" type=\"string\">\n \"\"\"quoted\"\n</var name=\"s\">\n" +
                       "<var name=\"n\" type=\"short\">\n 65537\n</var name=\"n\">\n" +
                       "<var name=\"other\" type=\"int\">\n 5\n</var name=\"other\">\n" + "</XML>\n";
    TempFolder folder;
    WriteBytes(folder.File("doc"), text);
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("doc"), QFFileStream::kText, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, kXML);
    std::string s;
    int16_t n = 0;
    int32_t wrongName = 44;
    QFSerializeValue(&archive, &s, "s");
    QFSerializeValue(&archive, &n, "n");
    QFSerializeValue(&archive, &wrongName, "m_nSomethingElse"); // tag line consumed, value kept
    EXPECT_EQ(s, "quoted");
    EXPECT_EQ(n, 1);
    EXPECT_EQ(wrongName, 44);
    EXPECT_FALSE(archive.Failed());
    EXPECT_EQ(archive.GetLineCount(), 2 + 3 + 3 + 1);
}

TEST_F(ArchiveXmlTest, EmptyAndDelimitedNames)
{
    int32_t value = 8;
    int32_t loaded = 0;
    auto asInt = [](QFArchive* a, int32_t* v, const std::string& n) { return QFSerializeValue(a, v, n); };
    std::string text = RoundTrip(kXML, asInt, value, &loaded, "");
    EXPECT_EQ(loaded, 8);
    EXPECT_EQ(Lines(text)[2], "<var name=\"~NULL~\" type=\"int\">");
    EXPECT_EQ(Lines(text)[4], "</var name=\"\">");

    // Names holding tag delimiters ("pSid->Id") still match their own tag.
    loaded = 0;
    RoundTrip(kXML, asInt, value, &loaded, "pSid->Id");
    EXPECT_EQ(loaded, 8);

    // An object tag with an empty name is taken for any expected name.
    CTestLeaf leaf;
    leaf.m_nValue = 6;
    CTestLeaf* pointer = &leaf;
    std::string doc = StoreWith(kXML, [&](QFArchive& archive) { QFSerializePointer(&archive, &pointer, ""); });
    EXPECT_EQ(Lines(doc)[2], "<obj name=\"~NULL~\" type=\"CTestLeaf\" id=\"0\">");
    Loaded<CTestLeaf> back = LoadDocument<CTestLeaf>(doc, kXML, "Anything");
    ASSERT_FALSE(back.failed) << back.reason;
    EXPECT_EQ(back.object->m_nValue, 6);
}

TEST_F(ArchiveXmlTest, ObjectTagsThatDoNotMatchGiveNull)
{
    for (const char* line : {"", "   ", "<obj name=\"Other\" type=\"CTestLeaf\" id=\"0\">", "<XML>",
                             "<var name=\"Root\" type=\"int\">"}) {
        Loaded<CTestLeaf> loaded = LoadDocument<CTestLeaf>(kHead + line + "\n</XML>\n", kXML);
        EXPECT_FALSE(loaded.failed) << line << ": " << loaded.reason;
        EXPECT_EQ(loaded.object, nullptr) << line;
    }
}

TEST_F(ArchiveXmlTest, IndentationStopsAtSixty)
{
    CTestNode root;
    CTestNode* tail = &root;
    for (int i = 0; i < 40; ++i) {
        tail->m_pChild = new CTestNode;
        tail = tail->m_pChild;
    }
    tail->m_nId = 99;
    std::string text = StoreDocument(&root, kXML);
    size_t deepest = 0;
    for (const std::string& line : Lines(text))
        deepest = std::max(deepest, line.find_first_not_of(' '));
    EXPECT_EQ(deepest, 60u);
    Loaded<CTestNode> loaded = LoadDocument<CTestNode>(text, kXML);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    CTestNode* node = loaded.object.get();
    for (int i = 0; i < 40 && node; ++i)
        node = node->m_pChild;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->m_nId, 99);
}

TEST_F(ArchiveXmlTest, EmptyDocumentStillCloses)
{
    EXPECT_EQ(StoreWith(kXML, [](QFArchive&) {}), kHead + "</XML>\n");
}

TEST_F(ArchiveXmlTest, ReadsFilesMadeWithWindowsLineEnds)
{
    CTestLeaf leaf;
    leaf.m_strText = "crlf";
    std::string text = StoreDocument(&leaf, kXML);
    std::string windows;
    for (char c : text)
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Loaded<CTestLeaf> loaded = LoadDocument<CTestLeaf>(windows, kXML);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.object->m_strText, "crlf");
}

TEST_F(ArchiveXmlTest, ParseTagTokenises)
{
    QFArchive archive;
    struct Case {
        const char* line;
        bool ok;
        int kind;
        const char* name;
        const char* type;
        int32_t id;
    } cases[] = {
        {"<var name=\"m_n\" type=\"int\">", true, 1, "m_n", "int", -9},
        {"<VAR name=\"m_n\" TYPE=\"unsigned_int\">", true, 1, "m_n", "unsigned_int", -9},
        {"<obj name=\"Root\" type=\"CTestNode\" id=\"12\">", true, 2, "Root", "CTestNode", 12},
        {"<null obj name=\"~NULL~\">", true, 3, "", "?", -9},
        {"<old obj name=\"p\" type=\"CTestLeaf\" ID=\"4\">", true, 4, "p", "CTestLeaf", 4},
        {"<tag obj name=\"p\" type=\"CTestLeaf\" id=\"5\">", true, 5, "p", "CTestLeaf", 5},
        {"<var name=\"type\" type=\"int\">", true, 1, "type", "int", -9},
        {"", true, -1, "?", "?", -9},
        {" < > = \"", true, -1, "?", "?", -9},
        {"</obj name=\"Root\">", false, -1, "?", "?", -9},
        {"<XML>", false, -1, "?", "?", -9},
    };
    for (const Case& c : cases) {
        int kind = -1;
        std::string name = "?", type = "?";
        int32_t id = -9;
        EXPECT_EQ(archive.ParseTag(c.line, &kind, &name, &type, &id), c.ok) << c.line;
        EXPECT_EQ(kind, c.kind) << c.line;
        EXPECT_EQ(name, c.name) << c.line;
        EXPECT_EQ(type, c.type) << c.line;
        EXPECT_EQ(id, c.id) << c.line;
    }

    EXPECT_EQ(archive.StripQuotes("\"\"abc\""), "abc");
    EXPECT_EQ(archive.StripQuotes("\"\""), "");
    EXPECT_EQ(archive.StripQuotes("abc\"\""), "abc\"");
    EXPECT_EQ(archive.StripBlanks(" \t x y\n\r\n"), "x y\r");
    EXPECT_EQ(archive.StripBlanks("\t \n"), "");
}

TEST_F(ArchiveXmlTest, BadDocumentsFail)
{
    CTestNode root;
    root.m_pLeaf = new CTestLeaf;
    root.m_pChild = new CTestNode;
    root.m_pChild->m_items = {new CTestLeaf};
    std::string good = StoreDocument(&root, kXML);

    std::vector<std::pair<std::string, std::string>> cases;
    std::vector<std::string> lines = Lines(good);
    std::string prefix;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        cases.emplace_back("cut after line " + std::to_string(i), prefix);
        prefix += lines[i] + "\n";
    }
    cases.emplace_back("unknown class", kHead + "<obj name=\"Root\" type=\"CNoSuchClass\" id=\"0\">\n</XML>\n");
    std::string selfOwned = good;
    selfOwned.replace(selfOwned.find("<null obj name=\"m_pChild\">"), 26,
                      "<old obj name=\"m_pChild\" type=\"CTestNode\" id=\"0\">");
    cases.emplace_back("reference into an owning member", selfOwned);
    std::string wrongClass = good;
    wrongClass.replace(wrongClass.find("type=\"CTestLeaf\" id=\"1\""), 16, "type=\"CTestNode\"");
    cases.emplace_back("wrong class", wrongClass);
    cases.emplace_back("line over the cap", kHead + std::string(QFArchive::kMaxLineLength + 10, 'x') + "\n");

    for (const auto& [what, text] : cases) {
        Loaded<CTestNode> loaded = LoadDocument<CTestNode>(text, kXML);
        EXPECT_TRUE(loaded.failed) << what;
        EXPECT_EQ(loaded.object, nullptr) << what;
    }
}

} // namespace
