// The persistent root class, the version object and the class registry.
#include "core/persist/QFSerializeBase.h"

#include "core/persist/QFArchive.h"

const QFClassInfo QFSerializeBase::s_classInfo{"QFSerializeBase", static_cast<int>(sizeof(QFSerializeBase)), "NULL"};

bool QFSerializeBase::Serialize(QFArchive*)
{
    return true;
}

const QFClassInfo* QFSerializeBase::GetClassInfo() const
{
    return &s_classInfo;
}

QFSerializeBase* QFSerializeBase::CreateObject()
{
    return new (std::nothrow) QFSerializeBase();
}

const QFClassInfo QFVersion::s_classInfo{"QFVersion", static_cast<int>(sizeof(QFVersion)), "QFSerializeBase"};

bool QFVersion::Serialize(QFArchive* archive)
{
    QFSerializeValue(archive, &m_versionNum, "m_versionNum");
    return true;
}

const QFClassInfo* QFVersion::GetClassInfo() const
{
    return &s_classInfo;
}

QFSerializeBase* QFVersion::CreateObject()
{
    return new (std::nothrow) QFVersion(0);
}

QFClassFactory& QFClassFactory::Instance()
{
    static QFClassFactory factory;
    return factory;
}

void QFClassFactory::Register(const std::string& className, QFCreateFunction create)
{
    m_creators[className] = create;
}

QFSerializeBase* QFClassFactory::CreateObject(const std::string& className) const
{
    QFCreateFunction create = Find(className);
    return create ? create() : nullptr;
}

QFCreateFunction QFClassFactory::Find(std::string_view className) const
{
    auto it = m_creators.find(className);
    return it == m_creators.end() ? nullptr : it->second;
}

bool QFClassFactory::IsRegistered(const std::string& className) const
{
    return m_creators.count(className) != 0;
}
