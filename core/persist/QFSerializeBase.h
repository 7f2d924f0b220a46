// Root of every persistent class: class records, versions and the class registry.
#pragma once

#include <climits>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <string_view>

class QFArchive;
class QFSerializeBase;

using QFCreateFunction = QFSerializeBase* (*)();

// Static record of a persistent class (information only, but the name is the one written in files).
struct QFClassInfo {
    const char* className;
    int objectSize;
    const char* baseClassName;
};

class QFSerializeBase {
public:
    virtual ~QFSerializeBase() = default;
    // Writes or reads the object's members through the archive; the root adds nothing.
    virtual bool Serialize(QFArchive* archive);
    std::string GetClassName() const { return GetClassInfo()->className; }
    virtual const QFClassInfo* GetClassInfo() const;

    static const QFClassInfo s_classInfo;
    static QFSerializeBase* CreateObject();
};

// A persistent 16-bit version number, written as "m_versionNum".
class QFVersion : public QFSerializeBase {
public:
    explicit QFVersion(short version = 0) : m_versionNum(version) {}
    bool Serialize(QFArchive* archive) override;
    const QFClassInfo* GetClassInfo() const override;
    short GetVersion() const { return m_versionNum; }
    short SetVersion(short version) { return m_versionNum = version; }

    static const QFClassInfo s_classInfo;
    static QFSerializeBase* CreateObject();

private:
    short m_versionNum;
};

// The process-wide map from class name to create function.
class QFClassFactory {
public:
    static QFClassFactory& Instance();
    // A second registration under the same name replaces the first.
    void Register(const std::string& className, QFCreateFunction create);
    // A new object of the named class, or null for a name never registered.
    QFSerializeBase* CreateObject(const std::string& className) const;
    // The create function registered under the name, or null.
    QFCreateFunction Find(std::string_view className) const;
    bool IsRegistered(const std::string& className) const;

private:
    std::map<std::string, QFCreateFunction, std::less<>> m_creators;
};

// Enters a class into the registry when constructed.
struct QFClassRegistrar {
    QFClassRegistrar(const std::string& className, QFCreateFunction create)
    {
        QFClassFactory::Instance().Register(className, create);
    }
};

// Registers the root, QFVersion and every persistent class of the core library, in a fixed order.
// Programs and test mains call it first; a program may then register its own class under a core name.
// Only the first call registers, so calling it again never undoes such a replacement.
void RegisterCoreClasses();

// Declares the class record, version object and factory of a persistent class (inside the class body).
#define QF_DECLARE_SERIAL(cls)                                                                                        \
public:                                                                                                               \
    static const QFClassInfo s_classInfo;                                                                             \
    static QFVersion s_version;                                                                                       \
    static QFSerializeBase* CreateObject();                                                                           \
    const QFClassInfo* GetClassInfo() const override { return &s_classInfo; }

// Defines them, with the class's current version (in one .cpp file).
#define QF_IMPLEMENT_SERIAL(cls, version)                                                                             \
    const QFClassInfo cls::s_classInfo{#cls, static_cast<int>(sizeof(cls)), "QFSerializeBase"};                      \
    QFVersion cls::s_version(version);                                                                                \
    QFSerializeBase* cls::CreateObject() { return new (std::nothrow) cls(); }
