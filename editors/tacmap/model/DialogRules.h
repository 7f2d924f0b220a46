// What the editor's four dialogs show and what their OK does, as plain functions over a form's state: scenario
// details, the graded values (scoring and cost), a placed squad's instance data, and the sprite deletion list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CScenarioData;
class CSprite;
class CSpriteManager;

namespace tacmap {

// A digits-only edit read as a base-10 number: text that is no number reads 0.
int ReadNumber(const std::string& text);

// ---- scenario details ----

extern const char* const kCompassNames[16];

struct ScenarioDetailsForm {
    std::string title; // at most 50 characters can be typed
    std::string background;
    int windDirection = -1; // combo index, -1 none
    std::string speed;
};

ScenarioDetailsForm ScenarioDetailsOf(const CScenarioData& scenario);
// OK: title (50 characters at most, a longer one is ignored), description, wind direction and speed.
void ApplyScenarioDetails(const ScenarioDetailsForm& form, CScenarioData& scenario);

// ---- graded values ----

struct GradedForm {
    std::string predicted;
    std::string aboveBreak, aboveMessage;
    std::string averageBreak, averageMessage;
    std::string belowMessage;
};

// The edits as the dialog opens: the predicted value only when above 0; breaks and messages only when the list
// holds three messages.
GradedForm GradedFormOf(int32_t predicted, const int32_t breaks[3], const std::vector<std::string>& messages);
// OK: the first empty edit in dialog order refuses with "Required value missing" or "Required message missing"
// (nothing written); otherwise the targets are written and the result is empty.
std::string ApplyGradedForm(const GradedForm& form, int32_t* predicted, int32_t breaks[3],
                            std::vector<std::string>* messages);
extern const char* const kIncompleteDataTitle;

// ---- sprite instance data ----

struct NamedItem {
    std::string text;
    int data = -1; // agency key, or template index
    int kind = 0;  // templates: 1 unit, 4 vehicle
};

// The agencies of the manager (sorted by name, case-blind) and the squad and vehicle templates of one of them.
std::vector<NamedItem> AgencyItems(const CSpriteManager& sprites);
std::vector<NamedItem> TemplateItems(const CSpriteManager& sprites, int agencyKey);

struct SpriteDataForm {
    int agencyKey = -1;
    int squadTemplate = -1; // set only when the user picks a template
    int vehicleTemplate = -1;
    bool templateShown = false; // the template combo has a selection
    std::string id;
};

// The dialog as it opens over a placed squad or vehicle (its template shown when its agency lists it).
SpriteDataForm SpriteDataOf(const CSpriteManager& sprites, const CSprite& sprite);
// Another agency: no template picked or shown.
void ChangeAgency(SpriteDataForm& form, int agencyKey);
// A template picked in the template combo.
void PickTemplate(SpriteDataForm& form, const NamedItem& item);
// OK. A picked template makes a new sprite of it (with the typed id) in the old one's place; only when it could
// be made is the old one removed. Without a picked template only the agency changes (the typed id is not used).
// Returns the selected sprite afterwards.
CSprite* ApplySpriteData(const SpriteDataForm& form, CSpriteManager& sprites, CSprite* selected);

// ---- delete sprites ----

// "%s - %d" (name, id) for squads and vehicles, "%s" for the rest, sorted case-blind; data = index into sprites.
std::vector<NamedItem> DeleteListItems(const std::vector<CSprite*>& sprites);

} // namespace tacmap
