// Range checks of data-list values with one message each, and the saturating float-to-int conversion.
#include "core/persist/DataRange.h"

#include "platform/system/MessageBox.h"

#include <cmath>
#include <cstdio>

namespace {

// Message boxes shown for one file; later damaged values of the same file go to the debug output.
constexpr int kBoxesPerFile = 3;

std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string ListMessage(const std::string& file, int row, const std::string& field, const std::string& what)
{
    return "\"" + file + "\", row " + std::to_string(row) + ", field \"" + field + "\": " + what;
}

} // namespace

int32_t CheckedInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

void ReportListValue(const std::string& file, int row, const std::string& field, const std::string& what)
{
    platform::ShowMessageBox(ListMessage(file, row, field, what), "Damaged data file", platform::MessageIcon::Warning);
}

int32_t CListRange::Int(int row, const char* field, int64_t value, int32_t lo, int32_t hi)
{
    if (value >= lo && value <= hi)
        return static_cast<int32_t>(value);
    const int32_t used = value < lo ? lo : hi;
    Report(row, field,
           std::to_string(value) + " is outside " + std::to_string(lo) + " to " + std::to_string(hi) + "; " +
               std::to_string(used) + " is used");
    return used;
}

float CListRange::Float(int row, const char* field, double value, float lo, float hi, float fallback)
{
    if (!std::isfinite(value)) {
        Report(row, field, Number(value) + " is not a finite number; " + Number(fallback) + " is used");
        return fallback;
    }
    if (value >= lo && value <= hi)
        return static_cast<float>(value);
    const float used = value < lo ? lo : hi;
    Report(row, field,
           Number(value) + " is outside " + Number(lo) + " to " + Number(hi) + "; " + Number(used) + " is used");
    return used;
}

void CListRange::Refuse(int row, const char* field, const std::string& what)
{
    Report(row, field, what);
}

void CListRange::Report(int row, const char* field, const std::string& what)
{
    if (++m_nReports <= kBoxesPerFile)
        ReportListValue(m_strFile, row, field, what);
    else
        platform::DebugOutput(ListMessage(m_strFile, row, field, what) + "\n");
}
