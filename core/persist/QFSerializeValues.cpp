// The typed value handlers, the version handler and the section brackets of the archive, in the formats that
// the inline binary-loading paths of the header leave to them.
#include "core/persist/QFArchive.h"

#include <cctype>
#include <cstdlib>
#include <type_traits>

namespace {

bool ParseDecimal(const std::string& text, int64_t* value)
{
    // "%d": blanks, a sign, digits; nothing else is read.
    const char* begin = text.c_str();
    char* end = nullptr;
    long long parsed = std::strtoll(begin, &end, 10);
    if (end == begin)
        return false;
    *value = parsed;
    return true;
}

// Reads one value in XML: its var tag, its line and its closing line. False when the tag did not match
// (only the tag line is then consumed) or the value line is missing.
bool ReadXmlValueLine(QFArchive* archive, std::string_view name, const char* typeName, std::string* line)
{
    if (!archive->ReadVarTag(std::string(name), typeName))
        return false;
    bool ok = archive->ReadLine(line, 5000);
    archive->ReadCloseTag(QFArchive::kValue);
    return ok;
}

void StoreXmlValue(QFArchive* archive, std::string_view name, const char* typeName, const std::string& text)
{
    const std::string tagName(name);
    archive->WriteOpenTag(tagName, QFArchive::kValue, typeName, -1);
    archive->WriteValueIndent();
    archive->WriteText(text + "\n");
    archive->WriteCloseTag(tagName, QFArchive::kValue);
}

// A line of the text dump: "<name> = <text>".
void WriteDumpLine(QFArchive* archive, std::string_view name, const std::string& text)
{
    archive->WriteText(std::string(name) + " = " + text + "\n");
}

template <class T>
void SerializeIntegerAnyFormat(QFArchive* archive, T* value, const char* typeName, std::string_view name)
{
    using U = std::make_unsigned_t<T>;
    constexpr int width = static_cast<int>(sizeof(T));
    if (archive->IsStoring()) {
        if (archive->GetFormat() == QFArchive::kBinary) {
            unsigned char bytes[width];
            U bits = static_cast<U>(*value);
            for (int i = 0; i < width; ++i)
                bytes[i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
            archive->Write(bytes, width);
            return;
        }
        // Unsigned 32-bit values print through their signed bits.
        std::string text = std::to_string(static_cast<int32_t>(*value));
        switch (archive->GetFormat()) {
        case QFArchive::kXML:
            StoreXmlValue(archive, name, typeName, text);
            break;
        case QFArchive::kTextDump:
            WriteDumpLine(archive, name, text);
            break;
        }
        return;
    }
    if (archive->GetFormat() == QFArchive::kBinary) {
        archive->ReadLE(value);
    } else if (archive->GetFormat() == QFArchive::kXML) {
        std::string line;
        int64_t parsed = 0;
        if (ReadXmlValueLine(archive, name, typeName, &line) && ParseDecimal(line, &parsed))
            *value = static_cast<T>(static_cast<U>(static_cast<uint32_t>(parsed)));
    }
}

} // namespace

namespace qf_detail {

bool SerializeValue(QFArchive* archive, int32_t* value, const char* typeName, std::string_view name)
{
    SerializeIntegerAnyFormat(archive, value, typeName, name);
    return true;
}

bool SerializeValue(QFArchive* archive, int16_t* value, const char* typeName, std::string_view name)
{
    SerializeIntegerAnyFormat(archive, value, typeName, name);
    return true;
}

bool SerializeValue(QFArchive* archive, uint32_t* value, const char* typeName, std::string_view name)
{
    SerializeIntegerAnyFormat(archive, value, typeName, name);
    return true;
}

bool SerializeValue(QFArchive* archive, uint16_t* value, const char* typeName, std::string_view name)
{
    SerializeIntegerAnyFormat(archive, value, typeName, name);
    return true;
}

bool SerializeValue(QFArchive* archive, char* value, std::string_view name)
{
    if (archive->IsStoring()) {
        switch (archive->GetFormat()) {
        case QFArchive::kBinary:
            archive->Write(value, 1);
            break;
        case QFArchive::kXML:
            StoreXmlValue(archive, name, "char", std::string("<\">") + *value + "</\">");
            break;
        case QFArchive::kTextDump:
            WriteDumpLine(archive, name, std::string("'") + *value + "'");
            break;
        }
        return true;
    }
    if (archive->GetFormat() == QFArchive::kBinary) {
        char c = 0;
        if (archive->Read(&c, 1))
            *value = c;
    } else if (archive->GetFormat() == QFArchive::kXML) {
        std::string line;
        // The character follows the three opening characters of the char form.
        if (ReadXmlValueLine(archive, name, "char", &line))
            *value = line.size() > 3 ? line[3] : '\0';
    }
    return true;
}

bool SerializeValue(QFArchive* archive, bool* value, std::string_view name)
{
    if (archive->IsStoring()) {
        switch (archive->GetFormat()) {
        case QFArchive::kBinary: {
            char byte = *value ? 1 : 0;
            archive->Write(&byte, 1);
            break;
        }
        case QFArchive::kXML:
            StoreXmlValue(archive, name, "bool", *value ? "True" : "False");
            break;
        case QFArchive::kTextDump:
            WriteDumpLine(archive, name, *value ? "True" : "False");
            break;
        }
        return true;
    }
    if (archive->GetFormat() == QFArchive::kBinary) {
        char byte = 0;
        if (archive->Read(&byte, 1))
            *value = byte != 0;
    } else if (archive->GetFormat() == QFArchive::kXML) {
        std::string line;
        if (ReadXmlValueLine(archive, name, "bool", &line)) {
            bool result = line.size() >= 4;
            for (size_t i = 0; result && i < 4; ++i)
                result = std::tolower(static_cast<unsigned char>(line[i])) == "true"[i];
            *value = result;
        }
    }
    return true;
}

bool SerializeValue(QFArchive* archive, std::string* value, std::string_view name)
{
    if (archive->IsStoring()) {
        switch (archive->GetFormat()) {
        case QFArchive::kBinary: {
            if (value->size() > static_cast<size_t>(QFArchive::kMaxStringLength)) {
                archive->SetFailed("string " + std::string(name) + " is too long to store");
                break;
            }
            uint32_t length = static_cast<uint32_t>(value->size());
            unsigned char bytes[4] = {
                static_cast<unsigned char>(length & 0xFF), static_cast<unsigned char>((length >> 8) & 0xFF),
                static_cast<unsigned char>((length >> 16) & 0xFF), static_cast<unsigned char>((length >> 24) & 0xFF)};
            archive->Write(bytes, 4);
            archive->Write(value->data(), static_cast<int>(length));
            break;
        }
        case QFArchive::kXML:
            StoreXmlValue(archive, name, "string", "\"" + *value + "\"");
            break;
        case QFArchive::kTextDump:
            WriteDumpLine(archive, name, "\"" + *value + "\"");
            break;
        }
        return true;
    }
    if (archive->GetFormat() == QFArchive::kBinary) {
        int32_t length = 0;
        if (archive->ReadLE(&length))
            archive->ReadStringBytes(value, length, name);
    } else if (archive->GetFormat() == QFArchive::kXML) {
        std::string line;
        if (ReadXmlValueLine(archive, name, "string", &line))
            *value = archive->StripQuotes(line);
    }
    return true;
}

short SerializeVersion(QFArchive* archive, const QFVersion& classVersion)
{
    QFVersion version(classVersion.GetVersion());
    version.Serialize(archive);
    return version.GetVersion();
}

void BeginSection(QFArchive* archive, std::string_view name)
{
    archive->WriteOpenTag(std::string(name), QFArchive::kSection, "<none>", -1);
    archive->IncIndent();
}

void EndSection(QFArchive* archive, std::string_view name)
{
    archive->DecIndent();
    archive->WriteCloseTag(std::string(name), QFArchive::kSection);
}

} // namespace qf_detail
