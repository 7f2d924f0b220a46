// The host's user accounts, the "UNAD1.00" user-list file they are read from, and the raw file reader under it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CUserAccount {
public:
    static constexpr uint32_t kLoaded = 0x1;
    static constexpr uint32_t kLoggedIn = 0x2;
    static constexpr size_t kRecordSize = 76;

    CUserAccount() = default;
    virtual ~CUserAccount() = default;

    // Takes one 76-byte record: flags (bit 0x1 added), name, password and the two values.
    void Load(const uint8_t* record);
    // False when logged in already, or when the first 32 characters of the name or the password differ
    // (case-sensitive); else logs in under the player id.
    bool Login(const std::string& name, const std::string& password, int32_t playerId);
    void Logout();

    uint32_t m_uFlags = 0;
    int32_t m_nPlayerId = -1;
    char m_szName[32] = {};
    char m_szPassword[32] = {};
    int32_t m_nValue1 = 0;
    int32_t m_nValue2 = 0;
};

// The first 32 characters of a NUL-padded 32-byte field.
std::string FieldText(const char* field);

// Parses a user-list file: the magic "UNAD1.00", an int32 count and that many 76-byte records. A record cut
// short ends the list; another magic or a short header loads nothing (false).
bool ParseUserList(const uint8_t* data, size_t size, std::vector<CUserAccount>& accounts, int32_t* count = nullptr);

// A raw binary file reader.
class CBinaryFile {
public:
    CBinaryFile() = default;
    virtual ~CBinaryFile();
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_pFile != nullptr; }
    // Bytes read; 0 on error or when nothing is open.
    size_t Read(void* buffer, size_t n);
    // The whole file from its start; empty and false when it cannot be read.
    bool ReadAll(std::vector<uint8_t>& bytes);
    virtual bool Load(const std::string& path, std::vector<uint8_t>& bytes);
    long Size() const { return m_nSize; }

    // Files larger than this are not read whole.
    static constexpr long kMaxSize = 16 * 1024 * 1024;

private:
    std::FILE* m_pFile = nullptr;
    long m_nSize = 0;
    std::string m_strPath;
};
