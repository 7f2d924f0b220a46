// Ostrel's small dialogs: the zone editor, the point entry, the scenario time window and the intro text editor.
#pragma once

#include "editors/common/ui/EditorDialog.h"
#include "editors/events/model/OstrelDialogRules.h"

#include <string>

class CZREventsData;
class QLabel;

// Names a map zone and gives its bounding box in world coordinates of the tactical map.
class CDialogDefineTMZone : public CEditorDialog {
public:
    explicit CDialogDefineTMZone(QWidget* parent = nullptr);
    // Filled by the caller before DoModal, read after OK.
    CZoneData m_zone;

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    QLineEdit* m_pName;
    QLabel* m_pId;
    QLineEdit* m_pUpperLeft;
    QLineEdit* m_pLowerRight;
};

// One point: X and Y as whole numbers.
class CDialogGetPoint : public CEditorDialog {
public:
    explicit CDialogGetPoint(QWidget* parent = nullptr);
    int32_t m_nX = -1;
    int32_t m_nY = -1;

protected:
    void OnOK() override;

private:
    QLineEdit* m_pX;
    QLineEdit* m_pY;
};

// The scenario's start and end time; it writes them (and the modified flag) into the events data itself.
class CDialogMiscDetails : public CEditorDialog {
public:
    CDialogMiscDetails(CZREventsData& data, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    CZREventsData& m_data;
    QLineEdit* m_pTitle;
    CTimeEdit* m_pStart;
    CTimeEdit* m_pEnd;
};

// The scenario's intro text (CR LF line ends).
class CDlgIntroEdit : public CEditorDialog {
public:
    explicit CDlgIntroEdit(const std::string& text, QWidget* parent = nullptr);
    std::string m_strText;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_pEdit;
};

// Shows a refused form's message and puts the focus on its field.
void ReportFormError(QWidget* dialog, const CFormError& error);
