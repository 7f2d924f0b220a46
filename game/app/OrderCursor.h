// The game's mouse cursors: the arrow, the wait cursor, the target and the order cursors with their danger and
// prohibited variants, loaded from "gui" and kept by id and set.
#pragma once

#include <array>
#include <string>

// Cursor ids: 1 arrow, 2 wait, 3 target, 4 to 22 the orders.
constexpr int kCursorArrow = 1;
constexpr int kCursorWait = 2;
constexpr int kCursorTarget = 3;
constexpr int kCursorFirstOrder = 4;
constexpr int kCursorLast = 22;

// The file name (without "gui/" and ".cur") of an order cursor id 4 to 22; null otherwise.
const char* OrderCursorName(int id);
// The file of a cursor of a set (0 plain, 1 "Danger", 2 "Prohibited"), relative to the base folder; empty when
// that id has no file in the set.
std::string CursorFileName(int id, int set);

class CGameCursors {
public:
    CGameCursors() = default;
    ~CGameCursors();
    CGameCursors(const CGameCursors&) = delete;
    CGameCursors& operator=(const CGameCursors&) = delete;

    // Loads every cursor of the three sets from the base folder; returns how many loaded.
    int Load(const std::string& baseFolder);
    // Shows the cursor of the id and set, or of set 0 when that one is missing; false when there is none.
    bool Show(int id, int set) const;
    bool Has(int id, int set) const;

private:
    std::array<std::array<void*, kCursorLast + 1>, 3> m_aCursors{};
};
