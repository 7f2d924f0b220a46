// A time edit that shows hours and minutes as "HHmm" and whose value is that text read as a decimal number.
#pragma once

#include <QTimeEdit>

class CTimeEdit : public QTimeEdit {
public:
    explicit CTimeEdit(QWidget* parent = nullptr);
    // Shows the time of an HHMM value (hour = value / 100, minute = value % 100); a value that is no time of day
    // leaves the shown time as it was and returns false.
    bool SetHHMM(int value);
    // The shown text as a decimal number: 0930 gives 930.
    int GetHHMM() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
