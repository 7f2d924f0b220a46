// Minimal lobby: its panel art and the fields the game start reads.
#include "game/screens/lobby/MPlayIF.h"

#include <cstdio>

bool CMultiplayerMenuData::Load(const std::string&, const std::string&)
{
    return true;
}

bool MPlayIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "MPlay_Art.csv", 26);
}

void MPlayIF::Init(CMultiplayerMenuData*)
{
    m_bShown = true;
}

void MPlayIF::OnMouseMove(int, int, uint32_t) {}

bool MPlayIF::OnClick(int, int, uint32_t)
{
    return false;
}

void MPlayIF::OnKey(uint32_t) {}

void MPlayIF::OnChar(uint32_t) {}

void MPlayIF::Draw(CSurface* target)
{
    if (m_bShown)
        m_art.DrawPanel(target);
}

void MPlayIF::ShowJoinFailed()
{
    m_strNotice = "Unable to join Host - please check Host address or that Host is Ready.";
}

void MPlayIF::ShowScenarioStarted()
{
    m_strNotice = "Unable to join - The scenario has already started - Please exit.";
}

void MPlayIF::ShowVersionMismatch(const std::string& own, const std::string& host)
{
    char text[200];
    std::snprintf(text, sizeof text, "Unable to join - Host version is %s, yours is %s - Please exit.",
                  host.substr(0, 40).c_str(), own.substr(0, 40).c_str());
    m_strNotice = text;
}
