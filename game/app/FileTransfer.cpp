// The file transfer table and the client's receipt of one file: bounded appends, inflate, a safe write.
#include "game/app/FileTransfer.h"

#include "core/util/Compression.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

const CFileKind kKinds[kFileSlots] = {
    {10, 9, "scenario archive", 225000}, {12, 11, "area-map archive", 20000}, {14, 13, "map bitmap", 1200000},
    {16, 15, "event log", 1000000},      {18, 17, "saved state", 100000},     {20, 19, "agency list", 10000},
};

} // namespace

const CFileKind* FileKindOfSlot(int slot)
{
    return slot >= 0 && slot < kFileSlots ? &kKinds[slot] : nullptr;
}

int FileSlotOfRequest(int request)
{
    return request >= 10 && request <= 20 && request % 2 == 0 ? (request - 10) / 2 : -1;
}

int FileSlotOfReply(int reply)
{
    return reply >= 9 && reply <= 19 && reply % 2 == 1 ? (reply - 9) / 2 : -1;
}

bool WriteFileWhole(const std::string& path, const uint8_t* data, size_t size)
{
    std::string why;
    if (platform::WriteFileSafely(path, data, size, &why))
        return true;
    platform::DebugOutput(why);
    return false;
}

CFileReceipt::CFileReceipt(int slot, std::string target) : m_nSlot(slot), m_strTarget(std::move(target)) {}

CFileReceipt::EResult CFileReceipt::Fail(const std::string& why)
{
    m_bFailed = true;
    m_strWhy = why;
    m_aData.clear();
    return EResult::Failed;
}

CFileReceipt::EResult CFileReceipt::Add(int32_t counter, const uint8_t* data, size_t used)
{
    const CFileKind* kind = FileKindOfSlot(m_nSlot);
    if (m_bFailed || !kind)
        return EResult::Failed;
    if (!m_bFirst && counter == m_nLast)
        return EResult::Repeat;
    m_bFirst = false;
    m_nLast = counter;
    // The old receiver appended past its buffer and inflated past its limit.
    if (used > 514 || counter < 0)
        return Fail("a chunk of " + std::to_string(used) + " bytes");
    if (m_aData.size() + used > kind->nLimit)
        return Fail(std::string("the ") + kind->szWhat + " is larger than " + std::to_string(kind->nLimit) + " bytes");
    m_aData.insert(m_aData.end(), data, data + used);
    if (counter != 0)
        return EResult::More;
    int length = 0;
    unsigned char* inflated = nullptr;
    if (!InflateBuffer(static_cast<int>(m_aData.size()), m_aData.data(), &length, &inflated,
                       static_cast<int>(kind->nLimit)) ||
        length < 0 || static_cast<size_t>(length) > kind->nLimit) {
        std::free(inflated);
        return Fail(std::string("the ") + kind->szWhat + " could not be unpacked within " +
                    std::to_string(kind->nLimit) + " bytes");
    }
    // The file lands under its own plain name only: a target ending in a folder, drive or ".." is refused.
    if (!IsBareFileName(std::filesystem::path(m_strTarget).filename().string())) {
        std::free(inflated);
        return Fail(m_strTarget + " is not a plain file name");
    }
    const bool written = WriteFileWhole(m_strTarget, inflated, static_cast<size_t>(length));
    std::free(inflated);
    m_aData.clear();
    if (!written)
        return Fail("could not write " + m_strTarget);
    return EResult::Written;
}
