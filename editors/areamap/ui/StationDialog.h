// "Station Details": a station's name, travel time and up to six resource lines.
#pragma once

#include "editors/areamap/model/StationDialogRules.h"
#include "editors/common/ui/EditorDialog.h"

#include <vector>

class CSprite;
class QComboBox;
class QLineEdit;

namespace vellisk {
class CAreaMapViewModel;
}

class CDialogStationResources : public CEditorDialog {
public:
    static constexpr int kNameId = 1008;
    static constexpr int kKindId = 1014;
    static constexpr int kMinutesId = 1032;
    static constexpr int kAgencyIds[vellisk::kStationLines] = {1013, 1033, 1034, 1035, 1036, 1037};
    static constexpr int kSquadTypeIds[vellisk::kStationLines] = {1012, 1018, 1020, 1022, 1024, 1026};
    static constexpr int kNumberIds[vellisk::kStationLines] = {1009, 1017, 1019, 1021, 1023, 1025};
    static constexpr int kDutyIds[vellisk::kStationLines] = {1016, 1027, 1028, 1029, 1030, 1031};

    CDialogStationResources(vellisk::CAreaMapViewModel& view, CSprite* station, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    struct Line {
        QComboBox* agency = nullptr;
        QComboBox* squadType = nullptr;
        QLineEdit* number = nullptr;
        QComboBox* duty = nullptr;
        std::vector<vellisk::CListEntry> agencies;
        std::vector<vellisk::CListEntry> squadTypes;
    };
    void OnAgencyChanged(int line);
    void FillSquadTypes(int line, int kind, int select);

    vellisk::CAreaMapViewModel& m_view;
    CSprite* m_pStation;
    QLineEdit* m_pName;
    QComboBox* m_pKind;
    QLineEdit* m_pMinutes;
    Line m_lines[vellisk::kStationLines];
};
