// The scenario description: title, incident text, wind, expected score and cost with graded messages, events.
#pragma once

#include "core/persist/QFArchive.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CZREventsData;

class CScenarioData : public QFSerializeBase {
    QF_DECLARE_SERIAL(CScenarioData)
public:
    static constexpr int kTitleSize = 51;
    static constexpr int kGradeCount = 3;

    CScenarioData();
    ~CScenarioData() override;
    CScenarioData(const CScenarioData&) = delete;
    CScenarioData& operator=(const CScenarioData&) = delete;

    // Makes an empty events data when there is none; true.
    bool CreateEventsData();
    // Keeps a copy of the text; null or empty leaves no description.
    void SetDescription(const char* text);
    // The scenario editor's operations. A new empty events data in place of the old one.
    void ResetEventsData();
    // A title of at most 50 characters replaces the old one; a longer one leaves it.
    void SetTitle(const char* text);
    // Replaces the events data with the one of a ".zre" file; false (events unchanged) when the file cannot be
    // opened, is damaged or holds no events data.
    bool ImportEvents(const std::string& path);
    // The description, or null when there is none.
    const char* GetDescription() const { return m_pszDescription.get(); }

    // Loads or stores. A load always ends with an events data (an empty one when the file held none) and
    // returns false when the events data reported a partial load.
    bool Serialize(QFArchive* archive) override;

    CZREventsData* m_pEvents = nullptr; // owned
    char m_szTitle[kTitleSize];
    std::unique_ptr<char[]> m_pszDescription; // null when empty
    int32_t m_nWindDirection = 9;             // compass point 0..15
    int32_t m_nWindSpeed = 0;
    int32_t m_nPredictedScore = 0;
    int32_t m_nPredictedCost = 0;
    int32_t m_anScoreBreaks[kGradeCount] = {0, 0, 0};
    int32_t m_anCostBreaks[kGradeCount] = {0, 0, 0};
    std::vector<std::string> m_vScoreMessages; // message i belongs to break i
    std::vector<std::string> m_vCostMessages;

private:
    void SerializeGrades(QFArchive* archive, int32_t* breaks, std::vector<std::string>* messages,
                         const char* breakName);
};
