// A named map zone: a rectangle in map pixels (and editor points) that conditions and results refer to by id.
#pragma once

#include "core/persist/QFArchive.h"

#include <cstdint>
#include <list>
#include <string>

struct ZoneRect {
    int32_t left = -1;
    int32_t top = -1;
    int32_t right = -1;
    int32_t bottom = -1;
};

struct ZonePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ZonePoint&) const = default;
};

class CTacticalMapZone : public QFSerializeBase {
    QF_DECLARE_SERIAL(CTacticalMapZone)
public:
    // Takes the next zone id (a zone read from a file then takes its stored one).
    CTacticalMapZone();
    ~CTacticalMapZone() override = default;
    CTacticalMapZone(const CTacticalMapZone&) = delete;
    CTacticalMapZone& operator=(const CTacticalMapZone&) = delete;

    bool Serialize(QFArchive* archive) override;

    std::string GetName() const { return m_strZoneName; }
    // Widens the rectangle to whole 32-pixel tiles (left/top down, right/bottom to the tile's last pixel).
    void SnapBoundingBox();
    // The point lies in the rectangle: left <= x < right and top <= y < bottom.
    bool ContainsPoint(int32_t x, int32_t y) const;

    bool m_bUseMBR = true;
    ZoneRect m_rcBoundingBox;
    std::list<ZonePoint> m_lstPoints;
    std::string m_strZoneName;
    int32_t m_nUniqueID;

    // The next zone id; process-wide.
    static int32_t m_nZoneIDsource;
};
