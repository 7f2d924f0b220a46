// The scenario's files between host and clients: which request names which file and its size limit, and the
// client's side of one transfer (chunks appended within bounds, inflated and written whole).
#pragma once

#include "core/util/FileNames.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One row of the transfer table: request kind, reply kind, the file, the largest size (compressed on the host,
// inflated on the client).
struct CFileKind {
    int16_t nRequest;
    int16_t nReply;
    const char* szWhat;
    size_t nLimit;
};

enum EFileSlot { kFileScenario, kFileAreaMap, kFileBitmap, kFileLog, kFileSaveData, kFileAgencies, kFileSlots };

// The row of a slot; null for none.
const CFileKind* FileKindOfSlot(int slot);
// The slot a request (10 to 20) or a reply (9 to 19) names, or -1.
int FileSlotOfRequest(int request);
int FileSlotOfReply(int reply);

// Writes the bytes safely over `path` (platform::WriteFileSafely); false (the old file kept) on failure.
bool WriteFileWhole(const std::string& path, const uint8_t* data, size_t size);

// One file arriving in numbered chunks: 1, 2, ... and 0 on the last (a single chunk is 0).
class CFileReceipt {
public:
    enum class EResult { More, Repeat, Written, Failed };

    CFileReceipt(int slot, std::string target);
    // Takes one chunk. A chunk with the counter of the previous accepted one is a repeat (the first is always
    // taken). The last chunk inflates the whole and writes the target; Failed, with a reason, when the bytes
    // pass the slot's limit (compressed or inflated) or cannot be inflated or written.
    EResult Add(int32_t counter, const uint8_t* data, size_t used);
    const std::string& Why() const { return m_strWhy; }
    size_t Received() const { return m_aData.size(); }

private:
    EResult Fail(const std::string& why);

    int m_nSlot;
    std::string m_strTarget;
    std::vector<uint8_t> m_aData;
    bool m_bFirst = true;
    int32_t m_nLast = 0;
    bool m_bFailed = false;
    std::string m_strWhy;
};
