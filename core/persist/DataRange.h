// Ranges of the numbers read from the data lists (one message per damaged value) and the checked float-to-int.
#pragma once

#include <cstdint>
#include <string>

// A float cut toward zero as (int) cuts it, saturated at the int32 limits; NaN gives 0.
int32_t CheckedInt(double value);

// The one report of a damaged value in a data list: `file` (its path), `row` (1-based line of the file) and
// `field` (the column's name) tell where, `what` what was wrong and what is used instead.
void ReportListValue(const std::string& file, int row, const std::string& field, const std::string& what);

// Range checks of one file's values. Every value out of its range is reported once through ReportListValue;
// the first few of a file as a message box, the rest of that file to the debug output only, so a wholly
// garbled file cannot stack up boxes.
class CListRange {
public:
    explicit CListRange(std::string file) : m_strFile(std::move(file)) {}

    // `value` kept within [lo, hi]: a value outside is clamped and reported.
    int32_t Int(int row, const char* field, int64_t value, int32_t lo, int32_t hi);
    // A finite `value` kept within [lo, hi]; one that is not finite gives `fallback`; both reported.
    float Float(int row, const char* field, double value, float lo, float hi, float fallback);
    // Reports a value that the reader refuses, naming the outcome.
    void Refuse(int row, const char* field, const std::string& what);

    int Reports() const { return m_nReports; }
    const std::string& File() const { return m_strFile; }

private:
    void Report(int row, const char* field, const std::string& what);

    std::string m_strFile;
    int m_nReports = 0;
};
