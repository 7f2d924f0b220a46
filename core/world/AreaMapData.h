// The area-map document (".zra"): the map bitmap's name, scale, next station ids and the stations' sprite manager.
#pragma once

#include "core/persist/QFSerializeBase.h"

#include <cstdint>

class CSpriteManager;

class CAreaMapData : public QFSerializeBase {
    QF_DECLARE_SERIAL(CAreaMapData)

public:
    static constexpr int kPathSize = 260;
    static constexpr int kStationIdCounters = 9;

    CAreaMapData();
    ~CAreaMapData() override;
    CAreaMapData(const CAreaMapData&) = delete;
    CAreaMapData& operator=(const CAreaMapData&) = delete;

    bool Serialize(QFArchive* archive) override;

    CSpriteManager* m_pSpriteManager = nullptr; // owned
    char m_szBaseFolder[kPathSize] = {};
    bool m_bModified = false;
    char m_szMapBitmap[kPathSize] = {};
    uint32_t m_naNextStationID[kStationIdCounters] = {};
    uint32_t m_nMapScale = 20000;
};
