// Tarnwick's four modal dialogs: scenario details, a graded value (scoring or cost), a placed squad's instance
// data, and the list of sprites to delete. Their rules are the model's; these are the windows.
#pragma once

#include "editors/common/ui/EditorDialog.h"
#include "editors/tacmap/model/DialogRules.h"

#include <cstdint>
#include <string>
#include <vector>

class CSprite;
class CTarnwickApp;
class QComboBox;
class QListWidget;
class QPlainTextEdit;

class CDialogScenarioDetails : public CEditorDialog {
public:
    explicit CDialogScenarioDetails(QWidget* parent = nullptr);

    std::string m_strTitle;
    std::string m_strBackground;
    int m_nWindDir = -1;
    int m_nWindSpeed = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    QLineEdit* m_pTitle;
    QPlainTextEdit* m_pBackground;
    QComboBox* m_pDirection;
    QLineEdit* m_pSpeed;
};

class CDialogValueGradedMessages : public CEditorDialog {
public:
    // A non-empty title replaces "Scoring".
    CDialogValueGradedMessages(const std::string& title, QWidget* parent = nullptr);

    // Set by the caller before the dialog runs; written on OK.
    int32_t* m_pnValue = nullptr;
    int32_t* m_pnBreaks = nullptr;
    std::vector<std::string>* m_pvMessages = nullptr;

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_strTitle;
    QLineEdit* m_pPredicted;
    QLineEdit* m_pAboveBreak;
    QPlainTextEdit* m_pAboveMessage;
    QLineEdit* m_pAverageBreak;
    QPlainTextEdit* m_pAverageMessage;
    QPlainTextEdit* m_pBelowMessage;
};

// Works on the map view's picked squad or vehicle.
class Dialog_Sprite_Data : public CEditorDialog {
public:
    Dialog_Sprite_Data(CTarnwickApp& app, QWidget* parent = nullptr);

    tacmap::SpriteDataForm m_form;

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void FillTemplates();

    CTarnwickApp& m_app;
    QComboBox* m_pAgency;
    QComboBox* m_pTemplate;
    QLineEdit* m_pId;
    std::vector<tacmap::NamedItem> m_vTemplates;
};

class CDialogDeleteSprites : public CEditorDialog {
public:
    explicit CDialogDeleteSprites(QWidget* parent = nullptr);

    // Filled by the caller; emptied as the dialog opens.
    std::vector<CSprite*> m_vSprites;
    // On OK: the sprites selected in the list.
    std::vector<CSprite*> m_vChosen;

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    QListWidget* m_pList;
    std::vector<CSprite*> m_vShown;
};
