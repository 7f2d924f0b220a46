// The event wizard: the event page (name, texts, triggers, chance, delay, recipients), the result page (the six
// result groups) and the trigger picker the event page uses.
#pragma once

#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/PropertySheet.h"
#include "editors/events/model/WizardRules.h"
#include "editors/events/ui/OstrelEditors.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class COstrelDocument;
class CSpriteManager;
class CZREvent;
class CZREventsData;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

// 132: picks one trigger by name.
class CListDlg : public CEditorDialog {
public:
    CListDlg(const std::string& prompt, const CZREventsData& data, QWidget* parent = nullptr);
    // The picked trigger id, -1 when nothing was selected.
    int32_t GetSelection() const { return m_nSelection; }

protected:
    void OnOK() override;

private:
    QListWidget* m_pList;
    int32_t m_nSelection = -1;
};

// 129: the event page.
class CPropertyPageEditEvent : public CEditorPropertyPage {
public:
    CPropertyPageEditEvent(CZREvent& working, uint32_t eventId, const CZREventsData& data,
                           const CSpriteManager* sprites);

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardNext() override;
    bool OnWizardFinish() override;

private:
    QCheckBox* Box(int index) const { return m_apRecipients[static_cast<size_t>(index)]; }
    void ReadForm();
    void ShowRecipients();
    void FillTriggers();
    void OnAddTrigger();
    void OnDeleteTrigger();
    bool Refuse(const ostrel::RuleError& error);

    CZREvent& m_working;
    uint32_t m_uEventId;
    const CZREventsData& m_data;
    const CSpriteManager* m_pSprites;
    ostrel::EventPageForm m_form;
    QLineEdit* m_pName;
    QLineEdit* m_pTitle;
    QPlainTextEdit* m_pText;
    bool m_bTextCrLf = true;
    QCheckBox* m_pRepeatable;
    QListWidget* m_pTriggers;
    QLineEdit* m_pChance;
    QLineEdit* m_pDelayFrom;
    QLineEdit* m_pDelayTo;
    QRadioButton* m_pVisible;
    QRadioButton* m_pHidden;
    QAbstractButton* m_pSendToAll;
    std::array<QCheckBox*, ostrel::kRecipientCount> m_apRecipients{};
};

// 130: the result page.
class CPropertyPageEditResult : public CEditorPropertyPage {
public:
    CPropertyPageEditResult(CZREvent& working, const CZREventsData& data, const CSpriteManager* sprites);

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardBack() override { return Store(); }
    bool OnWizardNext() override { return Store(); }
    bool OnWizardFinish() override { return Store(); }

private:
    bool Store();
    void ReadForm();
    void UpdateEnables();

    CZREvent& m_working;
    const CZREventsData& m_data;
    std::vector<ostrel::SquadItem> m_squads;
    ostrel::ResultPageForm m_form;
    QLineEdit* m_pEvent;
    QCheckBox* m_pActionOn;
    QComboBox* m_pSquad;
    QLineEdit* m_pSquadId;
    QComboBox* m_pAction;
    QLineEdit* m_pActionLocation;
    QCheckBox* m_pEquipOn;
    QListWidget* m_pEquip;
    QCheckBox* m_pZoneOn;
    QComboBox* m_pMark;
    QComboBox* m_pZone;
    QCheckBox* m_pHazardOn;
    QComboBox* m_pHazardType;
    QLineEdit* m_pHazardLocation;
    QComboBox* m_pMagnitude;
    QCheckBox* m_pHideHazard;
    QLineEdit* m_pBombFrom;
    QLineEdit* m_pBombTo;
    QCheckBox* m_pAarOn;
    std::array<QLineEdit*, 3> m_apScores{};
    QLineEdit* m_pCost;
    QCheckBox* m_pPointsOn;
    QLineEdit* m_pPoints;
};
