// The editor's small stored values: CGUID and CQFVersion, kept in a platform object archive of their own
// (a little-endian byte stream with a schema number), with the registry that makes them by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The byte archive the two classes store themselves in. Reading past the end or writing to a loading archive
// (or reading from a storing one) fails it; once failed, nothing more is read or written.
class CObjectArchive {
public:
    // A storing archive.
    CObjectArchive() = default;
    // A loading archive over the bytes, for objects of the given schema.
    CObjectArchive(std::vector<uint8_t> bytes, int schema)
        : m_bytes(std::move(bytes)), m_bLoading(true), m_nSchema(schema)
    {
    }

    bool IsLoading() const { return m_bLoading; }
    bool IsStoring() const { return !m_bLoading; }
    bool Failed() const { return m_bFailed; }
    const std::string& Error() const { return m_strError; }
    int GetObjectSchema() const { return m_nSchema; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

    void WriteUInt(uint64_t value, int width);
    bool ReadUInt(uint64_t* value, int width);

private:
    void Fail(const std::string& error);

    std::vector<uint8_t> m_bytes;
    size_t m_nRead = 0;
    bool m_bLoading = false;
    int m_nSchema = 1;
    bool m_bFailed = false;
    std::string m_strError;
};

// The base of the platform's stored objects: a run-time class name and Serialize.
class CStoredObject {
public:
    virtual ~CStoredObject() = default;
    virtual const char* GetRuntimeClassName() const = 0;
    virtual bool Serialize(CObjectArchive& archive) = 0;
};

// Makes "CGUID" and "CQFVersion" by name; null for any other name.
std::unique_ptr<CStoredObject> CreateStoredObject(const std::string& className);

class CGUID : public CStoredObject {
public:
    const char* GetRuntimeClassName() const override { return "CGUID"; }
    // Storing writes Data1, Data2, Data3 and Data4 (16 bytes); loading asks the schema first, then reads them.
    bool Serialize(CObjectArchive& archive) override;
    virtual void Assign(const CGUID& other);
    // Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"-like text; every field 0 first, all 0 without any "-".
    virtual void Parse(const std::string& text);
    // "%X-%X-%X-%X%X-%d%d%d%d%d%d": not the registry form, and Parse does not read it back.
    virtual std::string Format() const;

    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
};

class CQFVersion : public CStoredObject {
public:
    const char* GetRuntimeClassName() const override { return "CQFVersion"; }
    bool Serialize(CObjectArchive& archive) override;
    uint16_t GetVersion() const { return m_nVersion; }
    uint16_t GetVersionNumber() const { return m_nVersion; }
    void SetVersion(uint16_t version) { m_nVersion = version; }

private:
    uint16_t m_nVersion = 0;
};
