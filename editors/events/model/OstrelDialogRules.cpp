// The OK rules of the zone, point, time-window and intro dialogs.
#include "editors/events/model/OstrelDialogRules.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace {

const char* const kLocationError = "Two comma separated integers expected.";
const char* const kLocationCaption = "Invalid x, y location";
const char* const kBoxCaption = "Invalid Bounding Box";

void SkipBlanks(const std::string& text, size_t* at)
{
    while (*at < text.size() && std::isspace(static_cast<unsigned char>(text[*at])))
        ++*at;
}

// A "%d": blanks, an optional sign, digits (clamped to 32 bits).
bool ReadInt(const std::string& text, size_t* at, int32_t* value)
{
    SkipBlanks(text, at);
    size_t i = *at;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const size_t digits = i;
    long long n = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        if (n <= INT_MAX)
            n = n * 10 + (text[i] - '0');
        ++i;
    }
    if (i == digits)
        return false;
    n = negative ? -n : n;
    *value = static_cast<int32_t>(n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : n);
    *at = i;
    return true;
}

// Leading digits as a decimal number (none give 0).
int32_t ReadNumber(const std::string& text)
{
    size_t at = 0;
    int32_t value = 0;
    return ReadInt(text, &at, &value) ? value : 0;
}

bool Fail(CFormError* error, const char* text, const char* caption, int field)
{
    *error = {text, caption, field};
    return false;
}

} // namespace

bool ReadLocation(const std::string& text, int32_t* x, int32_t* y)
{
    size_t at = 0;
    int32_t a = 0;
    int32_t b = 0;
    if (!ReadInt(text, &at, &a) || at >= text.size() || text[at] != ',')
        return false;
    ++at;
    if (!ReadInt(text, &at, &b))
        return false;
    *x = a;
    *y = b;
    return true;
}

std::string FormatLocation(int32_t x, int32_t y)
{
    if (x < 0 || y < 0)
        return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%d, %d", x, y);
    return text;
}

bool CheckZoneForm(const std::string& name, const std::string& upperLeft, const std::string& lowerRight,
                   CZoneData* data, CFormError* error)
{
    if (name.empty())
        return Fail(error, "A zone must have a name", "No Zone Name", IDC_ZONE_NAME);
    ZoneRect box;
    if (!ReadLocation(upperLeft, &box.left, &box.top))
        return Fail(error, kLocationError, kLocationCaption, IDC_ZONE_UPPER_LEFT);
    if (!ReadLocation(lowerRight, &box.right, &box.bottom))
        return Fail(error, kLocationError, kLocationCaption, IDC_ZONE_LOWER_RIGHT);
    if (box.left >= box.right)
        return Fail(error, "Bounding box left must be less than right", kBoxCaption, IDC_ZONE_UPPER_LEFT);
    if (box.top >= box.bottom)
        return Fail(error, "Bounding box top must be less than bottom", kBoxCaption, IDC_ZONE_UPPER_LEFT);
    data->name = name;
    data->useBoundingBox = true;
    data->boundingBox = box;
    return true;
}

bool CheckPointForm(const std::string& xText, const std::string& yText, int32_t* x, int32_t* y, CFormError* error)
{
    if (xText.empty() || yText.empty()) {
        *x = -1;
        *y = -1;
        return Fail(error, "Both X and Y values are required.", "Invalid X,Y", xText.empty() ? IDC_POINT_X : IDC_POINT_Y);
    }
    *x = ReadNumber(xText);
    *y = ReadNumber(yText);
    return true;
}

bool CheckTimeWindow(int32_t start, int32_t end, CFormError* error)
{
    if (start >= end)
        return Fail(error, "Start time must be earlier than end time", "Start/End Time Error", 0);
    return true;
}

std::string IntroTextForEdit(const std::string& text)
{
    if (text.find('\r') != std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}
