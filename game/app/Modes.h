// The game's mode flags: one 32-bit word of bits that carries the game flow.
#pragma once

#include <cstdint>

enum EModeFlag : uint32_t {
    kModeQuit = 0x1, // the tick returns false and the main loop ends
    kModePaused = 0x2,
    kModeSound = 0x4,
    kModeFrontEnd = 0x8, // splash, lobby, briefing, role selection
    kModeSingle = 0x10,
    kModeNetworked = 0x20,
    kModeHosting = 0x40,
    kModeLobby = 0x80,
    kModeRoleSelect = 0x100,
    kModeBriefing = 0x200,
    kModeStarted = 0x400,         // the host has started the scenario
    kModeAStarLog = 0x800,        // switch: the path finder writes its log
    kModeIncidentOrders = 0x1000, // switch: the incident-making orders are offered
    kModeRunning = 0x2000,
    kModeDebrief = 0x4000,
    kModeTitle = 0x8000,
    kModeEnded = 0x10000, // scoring due
    kModeSponsorSplash = 0x20000,
    kModeMakerSplash = 0x40000,
    kModeCredits = 0x80000,
    kModeSkipSplash = 0x100000, // switch: start at the lobby
    kModeFromSave = 0x400000,
    kModeBriefingReopened = 0x800000,
    kModeSaving = 0x1000000,
    kModeRolesReopened = 0x2000000,
    kModeWaiveUnits = 0x4000000,
    kModeAllCommand = 0x8000000,
    kModeJoinRefused = 0x10000000,
    kModeIAPApproval = 0x20000000,
    kModeIAPReview = 0x40000000,
};

// Role bits of a player's role flags.
constexpr uint32_t kRoleMask = 0x1E7FF;
constexpr uint32_t kRoleCommand = 0x400;
constexpr uint32_t kRoleOperationsChief = 0x2000;
constexpr uint32_t kRolePlanningChief = 0x4000;
constexpr uint32_t kRoleLogisticsChief = 0x8000;
constexpr uint32_t kRoleFinanceChief = 0x10000;
constexpr uint32_t kRoleReady = 0x800;
constexpr uint32_t kRoleDrop = 0x1000;

// Windows virtual-key codes the game reads.
enum EVirtualKey : uint32_t {
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkPause = 0x13,
    kVkEscape = 0x1B,
    kVkPrior = 0x21,
    kVkNext = 0x22,
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkAdd = 0x6B,
    kVkSubtract = 0x6D,
    kVkF4 = 0x73,
    kVkF6 = 0x75,
    kVkF7 = 0x76,
    kVkPseudoStart = 0xFFFF, // the tick's "host has started" key
};
