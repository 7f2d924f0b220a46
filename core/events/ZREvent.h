// A scripted event: the triggers it waits for, its chance and delay, its text and recipients, and its result.
#pragma once

#include "core/events/ZRResult.h"
#include "core/persist/QFArchive.h"

#include <cstdint>
#include <string>
#include <vector>

class CZREvent : public QFSerializeBase {
    QF_DECLARE_SERIAL(CZREvent)
public:
    // With takeNewId the event takes the next event id, else its id is -1 (events read from files).
    explicit CZREvent(bool takeNewId = false);
    ~CZREvent() override;
    CZREvent(const CZREvent&) = delete;
    // Copies every member but the unique id; the result deeply.
    CZREvent& operator=(const CZREvent& source);

    // Every member but the id back to its default; the result is deleted.
    void Clear();
    bool Serialize(QFArchive* archive) override;

    // The event is hidden (no recipients).
    bool IsTmpZero() const { return nTmp == 0; }
    // The event has a result that goes into the after-action review.
    bool HasAAREntry() const;

    int32_t m_nChanceOfResult;
    int32_t m_nDelayResultFrom;
    int32_t m_nDelayResultTo;
    bool m_bIsDelayed;
    bool m_bIsEndEvent;
    std::string m_strEventName;
    std::string m_strEventTitle;
    std::string m_strEventText;
    bool m_bHasBeenExecuted;
    bool m_bListedByTimeTrigger; // not stored
    bool m_bRepeatableEvent;
    std::vector<uint32_t> m_vTrigger;
    int32_t nTmp;                   // recipient mask in the layout of the players' role flags; 0 = hidden
    CZRResult* m_pResult = nullptr; // owned; may be null
    int32_t m_nUniqueID;

    // The next event id; process-wide, stored with the events data.
    static int32_t m_nEventIDsource;
};

// 1 << index for an agency index 0..16, else 0.
int32_t AgencyBitFromIndex(int32_t index);

// Maps a whole recipient mask of the version-2 layout to the current one; combinations map to 0.
int32_t UpgradeRecipientFlags(int32_t value);
