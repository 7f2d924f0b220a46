// The palette's lists and selection rules, and the four dialogs' rules.
#include "EditorFixture.h"

#include "core/world/UnitTaskRecord.h"
#include "editors/tacmap/model/DialogRules.h"

#include <cstring>

namespace {

using namespace tacmaptest;
using tacmap::CSpritePalette;

class TacMapPalette : public TacMapDemoTest {
protected:
    void SetUp() override
    {
        TacMapDemoTest::SetUp();
        OpenDemo(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    CSpritePalette& Palette() { return editor->Palette(); }
    std::vector<std::string> Texts(CSpritePalette::List list)
    {
        std::vector<std::string> out;
        for (const auto& item : Palette().Items(list))
            out.push_back(item.text);
        return out;
    }
};

bool Has(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(TacMapPalette, ListsShowNamedTypesAgenciesAndPaletteFeatures)
{
    const auto tiles = Texts(CSpritePalette::kTiles);
    ASSERT_GT(tiles.size(), 30u);
    EXPECT_TRUE(std::is_sorted(tiles.begin(), tiles.end(), [](std::string a, std::string b) {
        for (char& c : a)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : b)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return a < b;
    }));
    EXPECT_TRUE(Has(tiles, "Building wall north"));

    // The combo starts on the first agency of the list (key 0), wherever it sorts.
    EXPECT_EQ(Palette().GetSelectedAgencyKey(), 0);
    const auto units = Palette().Items(CSpritePalette::kUnits);
    ASSERT_FALSE(units.empty());
    EXPECT_EQ(units.front().text, "Patrol Officers");
    EXPECT_EQ(units.front().kind, 1);
    EXPECT_EQ(units.back().kind, 4);

    const auto features = Texts(CSpritePalette::kFeatures);
    EXPECT_TRUE(Has(features, "Shed"));
    EXPECT_FALSE(Has(features, "Shed Roof")); // listed under its partner's lower index
    EXPECT_TRUE(Has(features, "Tree"));
    EXPECT_FALSE(Has(features, "Selection Marker"));
    EXPECT_FALSE(Has(features, "Reserved 40"));

    // Another agency lists its own squads and vehicles.
    const auto agencies = Texts(CSpritePalette::kAgencies);
    const int fire = static_cast<int>(std::find(agencies.begin(), agencies.end(), "Millbrook Fire") - agencies.begin());
    Palette().OnAgencySelected(fire);
    EXPECT_EQ(Palette().Items(CSpritePalette::kUnits).front().text, "Engine Company");
}

TEST_F(TacMapPalette, OneSelectionAtATimeAndTheWheelMovesWithinAList)
{
    Palette().OnTileSelected(2);
    EXPECT_EQ(Palette().GetSelectedTile(), Palette().Items(CSpritePalette::kTiles)[2].data);
    EXPECT_EQ(Palette().GetShownTile(), Palette().GetSelectedTile());
    Palette().OnFeatureSelected(0);
    EXPECT_EQ(Palette().GetSelectedTile(), -1);
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kTiles), -1);
    const int last = static_cast<int>(Palette().Items(CSpritePalette::kUnits).size()) - 1;
    Palette().OnUnitSelected(last); // a vehicle
    EXPECT_EQ(Palette().GetSelectedFeatureTemplate(), -1);
    EXPECT_EQ(Palette().GetSelectedSquadTemplate(), -1);
    EXPECT_EQ(Palette().GetSelectedVehicleTemplate(), Palette().Items(CSpritePalette::kUnits).back().data);

    Palette().ClearSelection();
    Palette().SelectTileByKey(1); // up with nothing selected: nothing
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kTiles), -1);
    Palette().SelectTileByKey(0); // down: the first row
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kTiles), 0);
    Palette().SelectTileByKey(1); // up from the first: nothing
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kTiles), 0);
    Palette().SelectSquadByKey(0);
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kUnits), 0);
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kTiles), 0); // the keys leave other lists' rows alone
    EXPECT_EQ(Palette().GetSelectedTile(), -1);
    Palette().OnUnitSelected(last);
    Palette().SelectSquadByKey(0); // down past the last: no selection
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kUnits), -1);
    EXPECT_EQ(Palette().GetSelectedVehicleTemplate(), -1);
    // The map view's wheel goes to the list with a selection.
    Palette().OnFeatureSelected(0);
    editor->View().OnMouseWheel(-120);
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kFeatures), 1);
    editor->View().OnMouseWheel(120);
    EXPECT_EQ(Palette().SelectedRow(CSpritePalette::kFeatures), 0);
}

TEST_F(TacMapPalette, TheListsFillAgainForAnotherScenario)
{
    Palette().OnTileSelected(1);
    const CSpriteManager* before = editor->World().GetSprites();
    ASSERT_TRUE(editor->model.Open((folder / "Millbrook.zri").string()));
    EXPECT_NE(editor->World().GetSprites(), before);
    EXPECT_EQ(Palette().GetSelectedTile(), -1); // nothing of the other manager's lists is picked
    EXPECT_FALSE(Palette().Items(CSpritePalette::kFeatures).empty());
    Palette().Fill(nullptr, nullptr);
    EXPECT_TRUE(Palette().Items(CSpritePalette::kTiles).empty()); // no scenario: an empty palette
}

// ---- dialogs ----

TEST(TacMapDialogs, ScenarioDetailsTakeAFiftyCharacterTitleAndDigitsOnlySpeed)
{
    CScenarioData scenario;
    scenario.m_nWindDirection = 15;
    tacmap::ScenarioDetailsForm form = tacmap::ScenarioDetailsOf(scenario);
    EXPECT_EQ(form.title, "unnamed");
    EXPECT_EQ(form.windDirection, 15);
    EXPECT_STREQ(tacmap::kCompassNames[form.windDirection], "North by Northwest");
    form.title = std::string(50, 'T');
    form.background = "Smoke over the yard";
    form.windDirection = -1;
    form.speed = "x12";
    tacmap::ApplyScenarioDetails(form, scenario);
    EXPECT_EQ(std::string(scenario.m_szTitle), std::string(50, 'T'));
    EXPECT_STREQ(scenario.GetDescription(), "Smoke over the yard");
    EXPECT_EQ(scenario.m_nWindDirection, -1);
    EXPECT_EQ(scenario.m_nWindSpeed, 0); // not a number
    scenario.m_nWindDirection = 99;
    EXPECT_EQ(tacmap::ScenarioDetailsOf(scenario).windDirection, -1);
}

TEST(TacMapDialogs, GradedValuesRefuseTheFirstEmptyEditAndWriteNothing)
{
    int32_t predicted = 0;
    int32_t breaks[3] = {0, 0, 0};
    std::vector<std::string> messages = {"only one"};
    tacmap::GradedForm form = tacmap::GradedFormOf(predicted, breaks, messages);
    EXPECT_EQ(form.predicted, "");    // 0 shows nothing
    EXPECT_EQ(form.aboveMessage, ""); // fewer than three messages show nothing
    struct Case {
        tacmap::GradedForm form;
        const char* error;
    };
    const tacmap::GradedForm full{"70", "80", "good", "60", "fair", "poor"};
    auto without = [&](std::string tacmap::GradedForm::*field) {
        tacmap::GradedForm f = full;
        f.*field = "";
        return f;
    };
    for (const Case& c : {Case{without(&tacmap::GradedForm::predicted), "Required value missing"},
                          Case{without(&tacmap::GradedForm::averageBreak), "Required value missing"},
                          Case{without(&tacmap::GradedForm::aboveMessage), "Required message missing"},
                          Case{without(&tacmap::GradedForm::belowMessage), "Required message missing"}}) {
        EXPECT_EQ(tacmap::ApplyGradedForm(c.form, &predicted, breaks, &messages), c.error);
        EXPECT_EQ(predicted, 0);
        EXPECT_EQ(messages.size(), 1u);
    }
    EXPECT_EQ(tacmap::ApplyGradedForm(full, &predicted, breaks, &messages), "");
    EXPECT_EQ(predicted, 70);
    EXPECT_EQ(breaks[0], 80);
    EXPECT_EQ(breaks[1], 60);
    EXPECT_EQ(breaks[2], 60);
    EXPECT_EQ(messages, (std::vector<std::string>{"good", "fair", "poor"}));
    const tacmap::GradedForm again = tacmap::GradedFormOf(predicted, breaks, messages);
    EXPECT_EQ(again.averageBreak, "60");
    EXPECT_EQ(again.belowMessage, "poor");
}

TEST_F(TacMapPalette, SpriteDataReplacesTheSquadOnlyWhenANewOneIsMade)
{
    CSpriteManager& sprites = editor->Sprites();
    CSprite* squad = nullptr;
    for (CSprite* s = sprites.GetHead(); s && !squad; s = s->m_pNext)
        if (s->Kind() == kUnitSprite && s->m_pUnitTask && s->m_pUnitTask->m_nAgencyKind == 0)
            squad = s;
    ASSERT_NE(squad, nullptr);
    const int count = sprites.GetSpritesCount();
    tacmap::SpriteDataForm form = tacmap::SpriteDataOf(sprites, *squad);
    EXPECT_TRUE(form.templateShown);
    // Only the id changed: nothing is replaced and the id stays.
    form.id = "777";
    EXPECT_EQ(tacmap::ApplySpriteData(form, sprites, squad), squad);
    EXPECT_NE(squad->m_Placement.ServiceId, 777);
    // A template picked: a new squad of it in the old one's place, with the typed id.
    const auto templates = tacmap::TemplateItems(sprites, form.agencyKey);
    ASSERT_GT(templates.size(), 2u);
    tacmap::PickTemplate(form, templates[1]);
    const int x = squad->m_Placement.WorldX;
    CSprite* made = tacmap::ApplySpriteData(form, sprites, squad);
    ASSERT_NE(made, squad);
    EXPECT_EQ(made->m_Placement.ServiceId, 777);
    EXPECT_EQ(made->m_Placement.WorldX, x);
    EXPECT_EQ(made->Kind(), templates[1].kind);
    EXPECT_EQ(sprites.GetSpritesCount(), count);
    // A template that cannot be made keeps the squad there is.
    tacmap::PickTemplate(form, tacmap::NamedItem{"gone", 511, 1});
    EXPECT_EQ(tacmap::ApplySpriteData(form, sprites, made), made);
    EXPECT_TRUE(sprites.ContainsSprite(made));
    // Another agency without a template: only the agency changes.
    tacmap::ChangeAgency(form, 1);
    EXPECT_EQ(tacmap::ApplySpriteData(form, sprites, made), made);
    EXPECT_EQ(made->m_Placement.AgencyIndex, 0); // no template shown: nothing
}

TEST(TacMapDialogs, TheDeleteListNamesSquadsWithTheirIds)
{
    CSprite unit(kUnitSprite, nullptr), tree(kFeatureSprite, nullptr);
    std::strcpy(unit.m_szName, "patrol");
    unit.m_Placement.ServiceId = 4;
    std::strcpy(tree.m_szName, "Tree");
    const auto items = tacmap::DeleteListItems({&tree, &unit});
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "patrol - 4");
    EXPECT_EQ(items[0].data, 1);
    EXPECT_EQ(items[1].text, "Tree");
    EXPECT_EQ(tacmap::ReadNumber("42"), 42);
    EXPECT_EQ(tacmap::ReadNumber(""), 0);
}

} // namespace
