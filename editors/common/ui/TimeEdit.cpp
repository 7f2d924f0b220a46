// The "HHmm" time edit.
#include "editors/common/ui/TimeEdit.h"

#include "editors/common/ui/Text.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {
// Both sections of "HHmm" are two characters wide.
constexpr int kSectionWidth = 2;
} // namespace

CTimeEdit::CTimeEdit(QWidget* parent) : QTimeEdit(parent)
{
    setDisplayFormat(QStringLiteral("HHmm"));
    setTime(QTime(0, 0));
}

bool CTimeEdit::SetHHMM(int value)
{
    const QTime time(value / 100, value % 100);
    if (value < 0 || !time.isValid())
        return false;
    setTime(time);
    return true;
}

int CTimeEdit::GetHHMM() const
{
    return ReadDecimal(FromQString(text()));
}

void CTimeEdit::keyPressEvent(QKeyEvent* event)
{
    // Typed over a selection of both sections (a double-click or Ctrl+A selects the whole "HHmm"), the digits
    // would land half in the hours and half in the minutes ("0010" gave "0001"): typing starts in the first
    // section selected, so the digits fill the hours, then the minutes.
    const QLineEdit* edit = lineEdit();
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isDigit() && edit->selectedText().size() > kSectionWidth)
        setSelectedSection(sectionAt(edit->selectionStart() / kSectionWidth));
    QTimeEdit::keyPressEvent(event);
}
