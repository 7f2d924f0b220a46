// Tests of the class registry, class records and version objects.
#include "ArchiveTestUtil.h"
#include "support/ByteWriter.h"

#include <memory>

namespace {

QFSerializeBase* CreateOtherVersion()
{
    return new QFVersion(42);
}

class RegistryTest : public PersistTest {};

TEST_F(RegistryTest, CreatesRegisteredClassesByName)
{
    QFClassFactory& factory = QFClassFactory::Instance();
    EXPECT_EQ(factory.CreateObject("NeverRegistered"), nullptr);
    EXPECT_FALSE(factory.IsRegistered("NeverRegistered"));

    std::unique_ptr<QFSerializeBase> version(factory.CreateObject("QFVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(dynamic_cast<QFVersion&>(*version).GetVersion(), 0);

    // Every object's class name is its record's name, which is the name it is registered under.
    for (const char* name : {"QFSerializeBase", "QFVersion", "CTestLeaf", "CTestSpecialLeaf", "CTestNode"}) {
        std::unique_ptr<QFSerializeBase> object(factory.CreateObject(name));
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->GetClassName(), name);
        EXPECT_STREQ(object->GetClassInfo()->className, name);
    }
    EXPECT_STREQ(QFSerializeBase::s_classInfo.baseClassName, "NULL");
    EXPECT_STREQ(QFVersion::s_classInfo.baseClassName, "QFSerializeBase");
}

TEST_F(RegistryTest, LaterRegistrationWinsAndCoreRegistrationDoesNotUndoIt)
{
    QFClassFactory& factory = QFClassFactory::Instance();
    QFClassRegistrar registrar("QFVersion", &CreateOtherVersion);
    RegisterCoreClasses();
    std::unique_ptr<QFSerializeBase> version(factory.CreateObject("QFVersion"));
    EXPECT_EQ(dynamic_cast<QFVersion&>(*version).GetVersion(), 42);
    factory.Register("QFVersion", &QFVersion::CreateObject);
}

TEST_F(RegistryTest, VersionObjectSerialisesItsNumberAsAShort)
{
    QFVersion stored(-3);
    std::string bytes = StoreWith(QFArchive::kBinary, [&](QFArchive& archive) { stored.Serialize(&archive); });
    EXPECT_EQ(bytes, ByteWriter().Int16(-3).Bytes());
    EXPECT_EQ(stored.SetVersion(9), 9);
    EXPECT_EQ(stored.GetVersion(), 9);
}

// Loads of any version, whole or failed half-way, leave the class's static version at its current value.
TEST_F(RegistryTest, LoadsNeverChangeTheStaticVersion)
{
    for (int fileVersion : {1, 2, 7}) {
        ByteWriter whole;
        whole.ObjectHead(0, "CTestLeaf").Int16(fileVersion).Int32(1);
        if (fileVersion == 1)
            whole.Int32(0);
        else
            whole.String("t");
        EXPECT_FALSE(LoadDocument<CTestLeaf>(whole.Bytes(), QFArchive::kBinary).failed);
        EXPECT_EQ(CTestLeaf::s_version.GetVersion(), 2);

        ByteWriter cut;
        cut.ObjectHead(0, "CTestLeaf").Int16(fileVersion).Int16(0);
        EXPECT_TRUE(LoadDocument<CTestLeaf>(cut.Bytes(), QFArchive::kBinary).failed);
        EXPECT_EQ(CTestLeaf::s_version.GetVersion(), 2);
    }
}

} // namespace
