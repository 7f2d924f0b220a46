// Windows-1252 conversions, case-blind ordering, decimal reading and line-end handling for edits.
#include "editors/common/ui/Text.h"

#include "platform/gdi/Font.h"

#include <QString>

#include <climits>
#include <cstdint>

namespace {

// Lower-case byte of a Windows-1252 letter (the byte itself for anything else).
unsigned char FoldByte(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A:
        return 0x9A; // S caron
    case 0x8C:
        return 0x9C; // OE
    case 0x8E:
        return 0x9E; // Z caron
    case 0x9F:
        return 0xFF; // Y diaeresis
    default:
        return c;
    }
}

// Byte of a code point in Windows-1252, or -1.
int ByteOf(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int b = 0x80; b < 0xA0; ++b)
        if (platform::gdi::CodePointOf(static_cast<unsigned char>(b)) == cp)
            return b;
    return -1;
}

} // namespace

QString ToQString(const std::string& text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text)
        out.append(QChar(static_cast<char16_t>(platform::gdi::CodePointOf(c))));
    return out;
}

std::string FromQString(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            out.push_back('?');
            continue;
        }
        const int b = ByteOf(ch.unicode());
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldByte(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldByte(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int ReadDecimal(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT_MAX) + 1)
            value = int64_t(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value < INT_MIN ? INT_MIN : -value);
    return static_cast<int>(value > INT_MAX ? INT_MAX : value);
}

std::string LinesForEdit(const std::string& stored, bool* crlf)
{
    const bool hasBreak = stored.find('\n') != std::string::npos;
    const bool usesCrLf = stored.find("\r\n") != std::string::npos;
    if (crlf)
        *crlf = usesCrLf || !hasBreak;
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n')
            continue;
        out.push_back(stored[i]);
    }
    return out;
}

std::string LinesFromEdit(const std::string& edited, bool crlf)
{
    if (!crlf)
        return edited;
    std::string out;
    out.reserve(edited.size() + edited.size() / 16);
    for (char c : edited) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}
