// Small persistent classes for archive tests, fuzzing and benchmarks.
#include "support/PersistTestClasses.h"

QF_IMPLEMENT_SERIAL(CTestLeaf, 2)
QF_IMPLEMENT_SERIAL(CTestSpecialLeaf, 1)
QF_IMPLEMENT_SERIAL(CTestNode, 1)

namespace {

void SerializeRootBase(QFArchive* archive, QFSerializeBase* object)
{
    QFBeginSection(archive, "BaseClass");
    object->QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
}

} // namespace

bool CTestLeaf::Serialize(QFArchive* archive)
{
    SerializeRootBase(archive, this);
    short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    QFSerializeValue(archive, &m_nValue, "m_nValue");
    if (QFHasRetired(archive, version, SHRT_MIN, 1)) {
        int32_t dropped = 0;
        QFSerializeValue(archive, &dropped, "m_nOld");
    }
    if (QFHasMember(archive, version, 2))
        QFSerializeValue(archive, &m_strText, "m_strText");
    QFEndSection(archive, "Members");
    return true;
}

bool CTestSpecialLeaf::Serialize(QFArchive* archive)
{
    CTestLeaf::Serialize(archive);
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    QFSerializeValue(archive, &m_cMark, "m_cMark");
    QFEndSection(archive, "Members");
    return true;
}

CTestNode::~CTestNode()
{
    delete m_pLeaf;
    delete m_pChild;
    for (CTestLeaf* item : m_items)
        delete item;
}

bool CTestNode::Serialize(QFArchive* archive)
{
    SerializeRootBase(archive, this);
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    QFSerializeValue(archive, &m_nId, "m_nId");
    QFSerializePointer(archive, &m_pLeaf, "m_pLeaf");
    QFSerializePointer(archive, &m_pChild, "m_pChild");
    QFSerializeReference(archive, &m_pShared, "m_pShared");
    int32_t count = static_cast<int32_t>(m_items.size());
    QFSerializeValue(archive, &count, "nCount");
    if (archive->IsStoring()) {
        for (CTestLeaf*& item : m_items)
            QFSerializePointer(archive, &item, "pItem");
    } else {
        for (CTestLeaf* item : m_items)
            delete item;
        m_items.clear();
        for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
            m_items.push_back(nullptr);
            QFSerializePointer(archive, &m_items.back(), "pItem");
        }
    }
    QFEndSection(archive, "Members");
    return true;
}

void RegisterTestClasses()
{
    RegisterCoreClasses();
    QFClassFactory& factory = QFClassFactory::Instance();
    factory.Register("CTestLeaf", &CTestLeaf::CreateObject);
    factory.Register("CTestSpecialLeaf", &CTestSpecialLeaf::CreateObject);
    factory.Register("CTestNode", &CTestNode::CreateObject);
}
