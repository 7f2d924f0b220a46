// List boxes (QListWidget) and combo boxes as the editors use them: integer item data, sorted lists in case-blind
// order, and selections set by code without the change notifications a user's choice sends (connect handlers to
// QComboBox::activated and QListWidget::itemSelectionChanged).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;

// A sorted list keeps every item added after this call in CompareNoCase order (equal texts keep their order).
void SetSorted(QListWidget* list, bool sorted);
void SetSorted(QComboBox* combo, bool sorted);

// Adds an item (at its sorted place in a sorted list, else at the end) and returns its index. Adding to a combo
// never selects anything.
int AddString(QListWidget* list, const std::string& text, intptr_t data = 0);
int AddString(QComboBox* combo, const std::string& text, intptr_t data = 0);
void DeleteString(QListWidget* list, int index);
void DeleteString(QComboBox* combo, int index);
void ResetContent(QListWidget* list);
void ResetContent(QComboBox* combo);
int GetCount(const QListWidget* list);
int GetCount(const QComboBox* combo);

// Text and data of an item: empty and 0 for an index outside the list.
std::string GetText(const QListWidget* list, int index);
std::string GetText(const QComboBox* combo, int index);
intptr_t GetItemData(const QListWidget* list, int index);
intptr_t GetItemData(const QComboBox* combo, int index);
void SetItemData(QListWidget* list, int index, intptr_t data);
void SetItemData(QComboBox* combo, int index, intptr_t data);

// The selected item (the first selected one in a multiple-selection list), -1 for none; -1 or an index outside
// clears the selection.
int GetCurSel(const QListWidget* list);
int GetCurSel(const QComboBox* combo);
void SetCurSel(QListWidget* list, int index);
void SetCurSel(QComboBox* combo, int index);

// The first item with that data, -1 for none; selecting by data leaves the selection as it was when none has it.
int FindItemData(const QListWidget* list, intptr_t data);
int FindItemData(const QComboBox* combo, intptr_t data);
bool SelectItemData(QListWidget* list, intptr_t data);
bool SelectItemData(QComboBox* combo, intptr_t data);
// The first item whose whole text equals the text, letter case ignored; -1 for none.
int FindStringExact(const QListWidget* list, const std::string& text);
int FindStringExact(const QComboBox* combo, const std::string& text);

// Multiple-selection lists: the selected indices in list order, and one item's selection.
std::vector<int> GetSelItems(const QListWidget* list);
void SetSel(QListWidget* list, int index, bool selected);
