// CGUID and CQFVersion: their stored bytes, the GUID text forms, and the byte archive they use.
#include "editors/tacmap/model/Utilities.h"

#include <cstdio>
#include <cstdlib>

void CObjectArchive::Fail(const std::string& error)
{
    if (!m_bFailed) {
        m_bFailed = true;
        m_strError = error;
    }
}

void CObjectArchive::WriteUInt(uint64_t value, int width)
{
    if (m_bFailed)
        return;
    if (m_bLoading) {
        Fail("write to a loading archive");
        return;
    }
    for (int i = 0; i < width; ++i)
        m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool CObjectArchive::ReadUInt(uint64_t* value, int width)
{
    if (m_bFailed)
        return false;
    if (!m_bLoading) {
        Fail("read from a storing archive");
        return false;
    }
    if (m_bytes.size() - m_nRead < static_cast<size_t>(width)) {
        Fail("read past the end of the archive");
        return false;
    }
    uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v |= static_cast<uint64_t>(m_bytes[m_nRead + i]) << (8 * i);
    m_nRead += static_cast<size_t>(width);
    *value = v;
    return true;
}

std::unique_ptr<CStoredObject> CreateStoredObject(const std::string& className)
{
    if (className == "CGUID")
        return std::make_unique<CGUID>();
    if (className == "CQFVersion")
        return std::make_unique<CQFVersion>();
    return nullptr;
}

// ---- CGUID ----

bool CGUID::Serialize(CObjectArchive& archive)
{
    if (archive.IsStoring()) {
        archive.WriteUInt(Data1, 4);
        archive.WriteUInt(Data2, 2);
        archive.WriteUInt(Data3, 2);
        for (uint8_t b : Data4)
            archive.WriteUInt(b, 1);
        return !archive.Failed();
    }
    (void)archive.GetObjectSchema();
    uint64_t v[11] = {};
    const int widths[11] = {4, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 11; ++i)
        if (!archive.ReadUInt(&v[i], widths[i]))
            return false;
    Data1 = static_cast<uint32_t>(v[0]);
    Data2 = static_cast<uint16_t>(v[1]);
    Data3 = static_cast<uint16_t>(v[2]);
    for (int i = 0; i < 8; ++i)
        Data4[i] = static_cast<uint8_t>(v[3 + i]);
    return true;
}

void CGUID::Assign(const CGUID& other)
{
    Data1 = other.Data1;
    Data2 = other.Data2;
    Data3 = other.Data3;
    for (int i = 0; i < 8; ++i)
        Data4[i] = other.Data4[i];
}

namespace {
// A hexadecimal number from the text's start (as strtoul reads it; 0 when none).
uint32_t Hex(const std::string& text)
{
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}
} // namespace

void CGUID::Parse(const std::string& text)
{
    Data1 = 0;
    Data2 = Data3 = 0;
    for (uint8_t& b : Data4)
        b = 0;
    const size_t brace = text.find('{');
    const size_t p1 = text.find('-');
    if (p1 == std::string::npos)
        return;
    std::string group1 = text.substr(0, p1);
    if (brace == 0 && !group1.empty())
        group1.erase(0, 1);
    const size_t p2 = text.find('-', p1 + 1);
    const size_t p3 = p2 == std::string::npos ? p2 : text.find('-', p2 + 1);
    const size_t p4 = p3 == std::string::npos ? p3 : text.find('-', p3 + 1);
    // Missing separators give empty groups: every group stays inside the text.
    auto between = [&](size_t from, size_t to) {
        if (from == std::string::npos || from + 1 > text.size())
            return std::string();
        return text.substr(from + 1, to == std::string::npos ? std::string::npos : to - from - 1);
    };
    const std::string group2 = between(p1, p2);
    const std::string group3 = between(p2, p3);
    const std::string group4 = between(p3, p4);
    const std::string group5 = between(p4, std::string::npos);
    Data1 = Hex(group1);
    Data2 = static_cast<uint16_t>(Hex(group2));
    Data3 = static_cast<uint16_t>(Hex(group3));
    auto pair = [](const std::string& group, size_t at) {
        return at < group.size() ? static_cast<uint8_t>(Hex(group.substr(at, 2))) : uint8_t{0};
    };
    Data4[0] = pair(group4, 0);
    Data4[1] = group4.size() >= 2 ? pair(group4, group4.size() - 2) : pair(group4, 0);
    for (int i = 0; i < 6; ++i)
        Data4[2 + i] = pair(group5, static_cast<size_t>(2 * i));
}

std::string CGUID::Format() const
{
    char text[128];
    std::snprintf(text, sizeof text, "%X-%X-%X-%X%X-%d%d%d%d%d%d", Data1, Data2, Data3, Data4[0], Data4[1], Data4[2],
                  Data4[3], Data4[4], Data4[5], Data4[6], Data4[7]);
    return text;
}

// ---- CQFVersion ----

bool CQFVersion::Serialize(CObjectArchive& archive)
{
    if (archive.IsLoading()) {
        uint64_t v = 0;
        if (!archive.ReadUInt(&v, 2))
            return false;
        m_nVersion = static_cast<uint16_t>(v);
        return true;
    }
    archive.WriteUInt(m_nVersion, 2);
    return !archive.Failed();
}
