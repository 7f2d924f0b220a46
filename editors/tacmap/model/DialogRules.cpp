// The dialogs' rules: initial edits, OK checks and what OK writes.
#include "editors/tacmap/model/DialogRules.h"

#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace tacmap {

const char* const kCompassNames[16] = {"North", "North by Northeast", "Northeast", "East by Northeast",
                                       "East",  "East by Southeast",  "Southeast", "South by Southeast",
                                       "South", "South by Southwest", "Southwest", "West by Southwest",
                                       "West",  "West by Northwest",  "Northwest", "North by Northwest"};

const char* const kIncompleteDataTitle = "Incomplete Data";

int ReadNumber(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin)
        return 0;
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

namespace {
void SortCaseBlind(std::vector<NamedItem>& items)
{
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::stable_sort(items.begin(), items.end(),
                     [&](const NamedItem& a, const NamedItem& b) { return lower(a.text) < lower(b.text); });
}
} // namespace

// ---- scenario details ----

ScenarioDetailsForm ScenarioDetailsOf(const CScenarioData& scenario)
{
    ScenarioDetailsForm form;
    form.title = std::string(scenario.m_szTitle).substr(0, 50);
    form.background = scenario.GetDescription() ? scenario.GetDescription() : "";
    form.windDirection =
        scenario.m_nWindDirection >= 0 && scenario.m_nWindDirection < 16 ? scenario.m_nWindDirection : -1;
    form.speed = std::to_string(scenario.m_nWindSpeed);
    return form;
}

void ApplyScenarioDetails(const ScenarioDetailsForm& form, CScenarioData& scenario)
{
    scenario.SetTitle(form.title.c_str());
    scenario.SetDescription(form.background.c_str());
    scenario.m_nWindDirection = form.windDirection;
    scenario.m_nWindSpeed = ReadNumber(form.speed);
}

// ---- graded values ----

GradedForm GradedFormOf(int32_t predicted, const int32_t breaks[3], const std::vector<std::string>& messages)
{
    GradedForm form;
    if (predicted > 0)
        form.predicted = std::to_string(predicted);
    if (messages.size() >= 3) {
        form.aboveBreak = std::to_string(breaks[0]);
        form.aboveMessage = messages[0];
        form.averageBreak = std::to_string(breaks[1]);
        form.averageMessage = messages[1];
        form.belowMessage = messages[2];
    }
    return form;
}

std::string ApplyGradedForm(const GradedForm& form, int32_t* predicted, int32_t breaks[3],
                            std::vector<std::string>* messages)
{
    const struct {
        const std::string* text;
        bool value;
    } order[] = {{&form.predicted, true},    {&form.aboveBreak, true},      {&form.aboveMessage, false},
                 {&form.averageBreak, true}, {&form.averageMessage, false}, {&form.belowMessage, false}};
    for (const auto& edit : order)
        if (edit.text->empty())
            return edit.value ? "Required value missing" : "Required message missing";
    *predicted = ReadNumber(form.predicted);
    breaks[0] = ReadNumber(form.aboveBreak);
    breaks[1] = breaks[2] = ReadNumber(form.averageBreak);
    messages->clear();
    messages->push_back(form.aboveMessage);
    messages->push_back(form.averageMessage);
    messages->push_back(form.belowMessage);
    return std::string();
}

// ---- sprite instance data ----

std::vector<NamedItem> AgencyItems(const CSpriteManager& sprites)
{
    std::vector<NamedItem> items;
    for (const auto& [key, record] : sprites.GetAgencies())
        items.push_back({record.m_szName, key, 0});
    SortCaseBlind(items);
    return items;
}

std::vector<NamedItem> TemplateItems(const CSpriteManager& sprites, int agencyKey)
{
    std::vector<NamedItem> items;
    const auto found = sprites.GetAgencies().find(agencyKey);
    if (found == sprites.GetAgencies().end())
        return items;
    for (int kind : {1, 4}) {
        const CSprite* templates = sprites.GetTemplates(kind);
        for (int i = 0; i < sprites.GetTemplateCount(kind); ++i)
            if (templates[i].m_szName[0] && templates[i].m_pUnitTask &&
                templates[i].m_pUnitTask->m_nAgencyKind == found->second.m_nKind)
                items.push_back({templates[i].m_szName, i, kind});
    }
    SortCaseBlind(items);
    return items;
}

SpriteDataForm SpriteDataOf(const CSpriteManager& sprites, const CSprite& sprite)
{
    SpriteDataForm form;
    form.agencyKey = sprite.m_Placement.AgencyIndex;
    for (const NamedItem& item : TemplateItems(sprites, form.agencyKey))
        form.templateShown = form.templateShown || item.text == sprite.m_szName;
    form.id = std::to_string(sprite.m_Placement.ServiceId);
    return form;
}

void ChangeAgency(SpriteDataForm& form, int agencyKey)
{
    form.agencyKey = agencyKey;
    form.squadTemplate = form.vehicleTemplate = -1;
    form.templateShown = false;
}

void PickTemplate(SpriteDataForm& form, const NamedItem& item)
{
    form.templateShown = true;
    if (item.kind == 4) {
        form.vehicleTemplate = item.data;
        form.squadTemplate = -1;
    } else {
        form.squadTemplate = item.data;
        form.vehicleTemplate = -1;
    }
}

CSprite* ApplySpriteData(const SpriteDataForm& form, CSpriteManager& sprites, CSprite* selected)
{
    if (!selected || !sprites.ContainsSprite(selected))
        return selected;
    const int kind = form.squadTemplate >= 0 ? 1 : form.vehicleTemplate >= 0 ? 4 : 0;
    if (kind == 0) {
        if (form.templateShown)
            selected->m_Placement.AgencyIndex = form.agencyKey;
        return selected;
    }
    CPlacement p;
    p.AgencyIndex = form.agencyKey;
    p.Id = kind == 1 ? form.squadTemplate : form.vehicleTemplate;
    p.Type = kind;
    p.ServiceId = ReadNumber(form.id.substr(0, 100));
    p.WorldX = selected->m_Placement.WorldX;
    p.WorldY = selected->m_Placement.WorldY;
    CSprite* made = kind == 1 ? sprites.CreateUnitSprite(p, true) : sprites.CreateVehicleSprite(p, true);
    if (!made)
        return selected; // the old one stays when no new one could be made
    made->m_nZoom = selected->m_nZoom;
    made->SetWorldPosition(selected->m_Placement.WorldX, selected->m_Placement.WorldY);
    sprites.RemoveSprite(selected, true, true);
    return made;
}

// ---- delete sprites ----

std::vector<NamedItem> DeleteListItems(const std::vector<CSprite*>& sprites)
{
    std::vector<NamedItem> items;
    for (size_t i = 0; i < sprites.size(); ++i) {
        const CSprite* s = sprites[i];
        char text[300];
        if (s->m_pUnitTask)
            std::snprintf(text, sizeof text, "%s - %d", s->m_szName, s->m_Placement.ServiceId);
        else
            std::snprintf(text, sizeof text, "%s", s->m_szName);
        items.push_back({text, static_cast<int>(i), s->Kind()});
    }
    SortCaseBlind(items);
    return items;
}

} // namespace tacmap
