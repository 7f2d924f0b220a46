// User accounts and the user-list file reader.
#include "net/transport/UserList.h"

#include "core/util/ByteStream.h"

#include <cstring>

namespace {
constexpr char kMagic[8] = {'U', 'N', 'A', 'D', '1', '.', '0', '0'};
}

std::string FieldText(const char* field)
{
    return std::string(field, strnlen(field, 32));
}

void CUserAccount::Load(const uint8_t* record)
{
    CByteReader r(record, kRecordSize);
    r.ReadU32(m_uFlags);
    m_uFlags |= kLoaded;
    r.ReadBytes(m_szName, sizeof m_szName);
    r.ReadBytes(m_szPassword, sizeof m_szPassword);
    r.ReadI32(m_nValue1);
    r.ReadI32(m_nValue2);
}

bool CUserAccount::Login(const std::string& name, const std::string& password, int32_t playerId)
{
    if (m_uFlags & kLoggedIn)
        return false;
    if (name.substr(0, 32) != FieldText(m_szName) || password.substr(0, 32) != FieldText(m_szPassword))
        return false;
    m_uFlags |= kLoggedIn;
    m_nPlayerId = playerId;
    return true;
}

void CUserAccount::Logout()
{
    m_uFlags &= ~kLoggedIn;
    m_nPlayerId = -1;
}

bool ParseUserList(const uint8_t* data, size_t size, std::vector<CUserAccount>& accounts, int32_t* count)
{
    accounts.clear();
    if (size < 12 || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return false;
    CByteReader r(data + 8, 4);
    int32_t n = 0;
    r.ReadI32(n);
    if (count)
        *count = n;
    // The old reader trusted the count; a record cut short ends the list here.
    size_t offset = 12;
    for (int32_t i = 0; i < n && offset + CUserAccount::kRecordSize <= size; ++i) {
        accounts.emplace_back();
        accounts.back().Load(data + offset);
        offset += CUserAccount::kRecordSize;
    }
    return true;
}

CBinaryFile::~CBinaryFile()
{
    Close();
}

bool CBinaryFile::Open(const std::string& path)
{
    Close();
    m_pFile = std::fopen(path.c_str(), "rb");
    m_strPath = path.substr(0, 259);
    return m_pFile != nullptr;
}

void CBinaryFile::Close()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
    m_nSize = 0;
}

size_t CBinaryFile::Read(void* buffer, size_t n)
{
    if (!m_pFile)
        return 0;
    return std::fread(buffer, 1, n, m_pFile);
}

bool CBinaryFile::ReadAll(std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!m_pFile || std::fseek(m_pFile, 0, SEEK_END) != 0)
        return false;
    m_nSize = std::ftell(m_pFile);
    if (m_nSize < 0 || m_nSize > kMaxSize || std::fseek(m_pFile, 0, SEEK_SET) != 0)
        return false;
    bytes.resize(static_cast<size_t>(m_nSize));
    if (Read(bytes.data(), bytes.size()) != bytes.size()) {
        bytes.clear();
        return false;
    }
    return true;
}

bool CBinaryFile::Load(const std::string& path, std::vector<uint8_t>& bytes)
{
    return Open(path) && ReadAll(bytes);
}
