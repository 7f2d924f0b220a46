// The "HHmm" time edit.
#include "editors/common/ui/TimeEdit.h"

#include "editors/common/ui/Text.h"

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
