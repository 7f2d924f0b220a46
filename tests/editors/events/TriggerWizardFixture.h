// A document over the demo's lists and unit tables with a few zones, events and a trigger, and control look-ups,
// for the trigger editor's and the event wizard's window tests.
#pragma once

#include "core/events/ConditionHooks.h"
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/Text.h"
#include "editors/events/model/EventsDocument.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ostreltest {

inline QAbstractButton* Button(const QWidget& w, int id)
{
    auto* b = GetDlgItem<QAbstractButton>(&w, id);
    EXPECT_NE(b, nullptr) << id;
    return b;
}
inline QLineEdit* Edit(const QWidget& w, int id)
{
    auto* e = GetDlgItem<QLineEdit>(&w, id);
    EXPECT_NE(e, nullptr) << id;
    return e;
}
inline QComboBox* Combo(const QWidget& w, int id)
{
    auto* c = GetDlgItem<QComboBox>(&w, id);
    EXPECT_NE(c, nullptr) << id;
    return c;
}
inline QListWidget* List(const QWidget& w, int id)
{
    auto* l = GetDlgItem<QListWidget>(&w, id);
    EXPECT_NE(l, nullptr) << id;
    return l;
}
inline std::string Label(const QWidget& w, int id)
{
    auto* l = GetDlgItem<QLabel>(&w, id);
    return l ? FromQString(l->text()) : std::string("<none>");
}
inline std::vector<std::string> ComboTexts(const QComboBox* combo)
{
    std::vector<std::string> out;
    for (int i = 0; i < combo->count(); ++i)
        out.push_back(FromQString(combo->itemText(i)));
    return out;
}
inline std::vector<std::string> ListTexts(const QListWidget* list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i)
        out.push_back(FromQString(list->item(i)->text()));
    return out;
}

class OstrelWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CScriptedPrompts quiet;
        quiet.AllowPlainMessages(true);
        m_pDoc = std::make_unique<COstrelDocument>(ZR_DEMO_SOURCE);
        ASSERT_TRUE(m_pDoc->LoadUnitTables().empty());
        CZREventsData& data = *m_pDoc->GetEventsData();
        data.m_nGameStartTime = 800;
        data.m_nGameEndTime = 1200;
        m_nYardId = AddZone("yard", {0, 0, 640, 480}, false);
        AddZone("Pointed", {0, 0, 64, 64}, true);
        AddZone("Loading dock", {640, 0, 960, 320}, false);
        m_nAlarmId = AddEvent("alarm");
        AddEvent("Water main break");
        auto* trigger = new CZRArgument(true);
        trigger->m_strArgumentName = "At 09:35";
        m_nTriggerId = static_cast<uint32_t>(trigger->m_nUniqueID);
        data.m_mapArguments[m_nTriggerId] = trigger;
        m_pDoc->InstallConditionHooks();
    }
    void TearDown() override { ResetConditionHooks(); }

    COstrelDocument& Doc() { return *m_pDoc; }
    CZREventsData& Data() { return *m_pDoc->GetEventsData(); }

    int32_t AddZone(const char* name, ZoneRect box, bool withPoint)
    {
        auto* zone = new CTacticalMapZone();
        zone->m_strZoneName = name;
        zone->m_rcBoundingBox = box;
        if (withPoint)
            zone->m_lstPoints.push_back({5, 5});
        Data().m_vZones.push_back(zone);
        return zone->m_nUniqueID;
    }
    int32_t AddEvent(const char* name)
    {
        auto* event = new CZREvent(true);
        event->m_strEventName = name;
        event->m_strEventText = "Text of " + std::string(name);
        event->nTmp = 1024;
        Data().m_lstEvents.push_back(event);
        return event->m_nUniqueID;
    }

    std::unique_ptr<COstrelDocument> m_pDoc;
    int32_t m_nYardId = -1;
    int32_t m_nAlarmId = -1;
    uint32_t m_nTriggerId = 0;
};

} // namespace ostreltest
