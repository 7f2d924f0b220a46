// List and combo helpers: item data, case-blind sorted insertion, quiet selections.
#include "editors/common/ui/ListHelpers.h"

#include "editors/common/ui/Text.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>

namespace {

const char* const kSortedProperty = "zrSorted";
constexpr int kDataRole = Qt::UserRole;

bool IsSorted(const QObject* w)
{
    return w->property(kSortedProperty).toBool();
}

// Index after every item that sorts before or equal to the text.
template <class Texts> int SortedPlace(int count, const std::string& text, Texts textAt)
{
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (CompareNoCase(textAt(mid), text) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool InRange(int index, int count)
{
    return index >= 0 && index < count;
}

} // namespace

void SetSorted(QListWidget* list, bool sorted)
{
    list->setProperty(kSortedProperty, sorted);
}

void SetSorted(QComboBox* combo, bool sorted)
{
    combo->setProperty(kSortedProperty, sorted);
}

int AddString(QListWidget* list, const std::string& text, intptr_t data)
{
    const int count = list->count();
    const int at = IsSorted(list) ? SortedPlace(count, text, [list](int i) { return GetText(list, i); }) : count;
    auto* item = new QListWidgetItem(ToQString(text));
    item->setData(kDataRole, QVariant::fromValue<qlonglong>(data));
    const QSignalBlocker quiet(list);
    list->insertItem(at, item);
    return at;
}

int AddString(QComboBox* combo, const std::string& text, intptr_t data)
{
    const int count = combo->count();
    const int at = IsSorted(combo) ? SortedPlace(count, text, [combo](int i) { return GetText(combo, i); }) : count;
    const QSignalBlocker quiet(combo);
    const int selected = combo->currentIndex();
    combo->insertItem(at, ToQString(text), QVariant::fromValue<qlonglong>(data));
    // A combo selects its first item by itself; a list box of the platform does not.
    if (selected < 0)
        combo->setCurrentIndex(-1);
    return at;
}

void DeleteString(QListWidget* list, int index)
{
    if (InRange(index, list->count())) {
        const QSignalBlocker quiet(list);
        delete list->takeItem(index);
    }
}

void DeleteString(QComboBox* combo, int index)
{
    if (InRange(index, combo->count())) {
        const QSignalBlocker quiet(combo);
        combo->removeItem(index);
    }
}

void ResetContent(QListWidget* list)
{
    const QSignalBlocker quiet(list);
    list->clear();
}

void ResetContent(QComboBox* combo)
{
    const QSignalBlocker quiet(combo);
    combo->clear();
}

int GetCount(const QListWidget* list)
{
    return list->count();
}

int GetCount(const QComboBox* combo)
{
    return combo->count();
}

std::string GetText(const QListWidget* list, int index)
{
    return InRange(index, list->count()) ? FromQString(list->item(index)->text()) : std::string();
}

std::string GetText(const QComboBox* combo, int index)
{
    return InRange(index, combo->count()) ? FromQString(combo->itemText(index)) : std::string();
}

intptr_t GetItemData(const QListWidget* list, int index)
{
    return InRange(index, list->count()) ? static_cast<intptr_t>(list->item(index)->data(kDataRole).toLongLong()) : 0;
}

intptr_t GetItemData(const QComboBox* combo, int index)
{
    return InRange(index, combo->count()) ? static_cast<intptr_t>(combo->itemData(index, kDataRole).toLongLong()) : 0;
}

void SetItemData(QListWidget* list, int index, intptr_t data)
{
    if (InRange(index, list->count()))
        list->item(index)->setData(kDataRole, QVariant::fromValue<qlonglong>(data));
}

void SetItemData(QComboBox* combo, int index, intptr_t data)
{
    if (InRange(index, combo->count()))
        combo->setItemData(index, QVariant::fromValue<qlonglong>(data), kDataRole);
}

int GetCurSel(const QListWidget* list)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            return i;
    return -1;
}

int GetCurSel(const QComboBox* combo)
{
    return combo->currentIndex();
}

void SetCurSel(QListWidget* list, int index)
{
    const QSignalBlocker quiet(list);
    list->clearSelection();
    if (InRange(index, list->count())) {
        list->setCurrentRow(index);
        list->item(index)->setSelected(true);
    } else {
        list->setCurrentRow(-1);
    }
}

void SetCurSel(QComboBox* combo, int index)
{
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(InRange(index, combo->count()) ? index : -1);
}

int FindItemData(const QListWidget* list, intptr_t data)
{
    for (int i = 0; i < list->count(); ++i)
        if (GetItemData(list, i) == data)
            return i;
    return -1;
}

int FindItemData(const QComboBox* combo, intptr_t data)
{
    for (int i = 0; i < combo->count(); ++i)
        if (GetItemData(combo, i) == data)
            return i;
    return -1;
}

bool SelectItemData(QListWidget* list, intptr_t data)
{
    const int index = FindItemData(list, data);
    if (index >= 0)
        SetCurSel(list, index);
    return index >= 0;
}

bool SelectItemData(QComboBox* combo, intptr_t data)
{
    const int index = FindItemData(combo, data);
    if (index >= 0)
        SetCurSel(combo, index);
    return index >= 0;
}

int FindStringExact(const QListWidget* list, const std::string& text)
{
    for (int i = 0; i < list->count(); ++i)
        if (CompareNoCase(GetText(list, i), text) == 0)
            return i;
    return -1;
}

int FindStringExact(const QComboBox* combo, const std::string& text)
{
    for (int i = 0; i < combo->count(); ++i)
        if (CompareNoCase(GetText(combo, i), text) == 0)
            return i;
    return -1;
}

std::vector<int> GetSelItems(const QListWidget* list)
{
    std::vector<int> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out.push_back(i);
    return out;
}

void SetSel(QListWidget* list, int index, bool selected)
{
    if (InRange(index, list->count())) {
        const QSignalBlocker quiet(list);
        list->item(index)->setSelected(selected);
    }
}
