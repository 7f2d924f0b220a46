// Tests of the list and combo helpers: case-blind sorted insertion with item data, quiet selections, lookups.
#include "editors/common/ui/ListHelpers.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const QListWidget* list)
{
    std::vector<std::string> out;
    for (int i = 0; i < GetCount(list); ++i)
        out.push_back(GetText(list, i));
    return out;
}

TEST(EditorUiLists, SortedListsInsertIgnoringCaseAndKeepItemData)
{
    QListWidget list;
    SetSorted(&list, true);
    const std::pair<const char*, intptr_t> items[] = {{"beta", 2},   {"Alpha", 1}, {"(Hidden)", 37},
                                                      {"alpha", 11}, {"Gamma", 3}, {"Any", 9}};
    for (const auto& [text, data] : items)
        AddString(&list, text, data);
    EXPECT_EQ(Texts(&list), (std::vector<std::string>{"(Hidden)", "Alpha", "alpha", "Any", "beta", "Gamma"}));
    EXPECT_EQ(GetItemData(&list, FindStringExact(&list, "GAMMA")), 3);
    EXPECT_EQ(FindItemData(&list, 11), 2);
    EXPECT_EQ(FindItemData(&list, 99), -1);
    EXPECT_EQ(GetText(&list, 6), "");
    EXPECT_EQ(GetItemData(&list, -1), 0);

    QComboBox combo;
    AddString(&combo, "Zed", 1);
    AddString(&combo, "ant", 2); // unsorted: at the end
    EXPECT_EQ(GetText(&combo, 1), "ant");
    EXPECT_EQ(AddString(&combo, "\xC9t\xE9", -5), 2);
    EXPECT_EQ(GetText(&combo, 2), "\xC9t\xE9");
    EXPECT_EQ(GetItemData(&combo, 2), -5);
    // A pointer fits the item data.
    int object = 0;
    SetItemData(&combo, 0, reinterpret_cast<intptr_t>(&object));
    EXPECT_EQ(reinterpret_cast<int*>(GetItemData(&combo, 0)), &object);
}

TEST(EditorUiLists, SelectionsSetByCodeSendNoNotificationsButAUsersChoiceDoes)
{
    QComboBox combo;
    QSignalSpy activated(&combo, &QComboBox::activated);
    QSignalSpy changed(&combo, &QComboBox::currentIndexChanged);
    AddString(&combo, "Police", 0);
    AddString(&combo, "Fire", 1);
    EXPECT_EQ(GetCurSel(&combo), -1); // adding selects nothing
    EXPECT_TRUE(SelectItemData(&combo, 1));
    EXPECT_EQ(GetCurSel(&combo), 1);
    EXPECT_FALSE(SelectItemData(&combo, 7));
    EXPECT_EQ(GetCurSel(&combo), 1);
    SetCurSel(&combo, -1);
    EXPECT_EQ(GetCurSel(&combo), -1);
    EXPECT_EQ(changed.count(), 0);

    QListWidget list;
    QSignalSpy selection(&list, &QListWidget::itemSelectionChanged);
    AddString(&list, "one", 10);
    AddString(&list, "two", 20);
    SetCurSel(&list, 1);
    EXPECT_EQ(GetCurSel(&list), 1);
    DeleteString(&list, 0);
    EXPECT_EQ(GetCurSel(&list), 0);
    SetCurSel(&list, 5);
    EXPECT_EQ(GetCurSel(&list), -1);
    EXPECT_EQ(selection.count(), 0);

    list.show();
    AddString(&list, "three", 30);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(GetCurSel(&list), 1);
    EXPECT_GE(selection.count(), 1);
    combo.show();
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(activated.count(), 1);
}

TEST(EditorUiLists, MultipleSelectionAndEmptying)
{
    QListWidget list;
    list.setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* t : {"a", "b", "c", "d"})
        AddString(&list, t);
    SetSel(&list, 3, true);
    SetSel(&list, 1, true);
    SetSel(&list, 9, true);
    EXPECT_EQ(GetSelItems(&list), (std::vector<int>{1, 3}));
    EXPECT_EQ(GetCurSel(&list), 1);
    SetSel(&list, 1, false);
    EXPECT_EQ(GetSelItems(&list), (std::vector<int>{3}));
    ResetContent(&list);
    EXPECT_EQ(GetCount(&list), 0);
    EXPECT_EQ(GetCurSel(&list), -1);
}

} // namespace
