// The typed value handlers, the version handler and the section brackets of the archive.
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
bool ReadXmlValueLine(QFArchive* archive, const std::string& name, const char* typeName, std::string* line)
{
    if (!archive->ReadVarTag(name, typeName))
        return false;
    bool ok = archive->ReadLine(line, 5000);
    archive->ReadCloseTag(QFArchive::kValue);
    return ok;
}

void StoreXmlValue(QFArchive* archive, const std::string& name, const char* typeName, const std::string& text)
{
    archive->WriteOpenTag(name, QFArchive::kValue, typeName, -1);
    archive->WriteValueIndent();
    archive->WriteText(text + "\n");
    archive->WriteCloseTag(name, QFArchive::kValue);
}

template <class T> void SerializeInteger(QFArchive* archive, T* value, const char* typeName, const std::string& name)
{
    using U = std::make_unsigned_t<T>;
    constexpr int width = static_cast<int>(sizeof(T));
    if (archive->IsStoring()) {
        // Unsigned 32-bit values print through their signed bits.
        std::string text = std::to_string(static_cast<int32_t>(*value));
        switch (archive->GetFormat()) {
        case QFArchive::kBinary: {
            unsigned char bytes[width];
            U bits = static_cast<U>(*value);
            for (int i = 0; i < width; ++i)
                bytes[i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
            archive->Write(bytes, width);
            break;
        }
        case QFArchive::kXML:
            StoreXmlValue(archive, name, typeName, text);
            break;
        case QFArchive::kTextDump:
            archive->WriteText(name + " = " + text + "\n");
            break;
        }
        return;
    }
    if (archive->GetFormat() == QFArchive::kBinary) {
        unsigned char bytes[width];
        if (!archive->Read(bytes, width))
            return;
        U bits = 0;
        for (int i = 0; i < width; ++i)
            bits = static_cast<U>(bits | static_cast<U>(bytes[i]) << (8 * i));
        *value = static_cast<T>(bits);
    } else if (archive->GetFormat() == QFArchive::kXML) {
        std::string line;
        int64_t parsed = 0;
        if (ReadXmlValueLine(archive, name, typeName, &line) && ParseDecimal(line, &parsed))
            *value = static_cast<T>(static_cast<U>(static_cast<uint32_t>(parsed)));
    }
}

} // namespace

bool QFSerializeValue(QFArchive* archive, int32_t* value, const std::string& name)
{
    SerializeInteger(archive, value, "int", name);
    return true;
}

bool QFSerializeLong(QFArchive* archive, int32_t* value, const std::string& name)
{
    SerializeInteger(archive, value, "long", name);
    return true;
}

bool QFSerializeValue(QFArchive* archive, int16_t* value, const std::string& name)
{
    SerializeInteger(archive, value, "short", name);
    return true;
}

bool QFSerializeValue(QFArchive* archive, uint32_t* value, const std::string& name)
{
    SerializeInteger(archive, value, "unsigned_int", name);
    return true;
}

bool QFSerializeULong(QFArchive* archive, uint32_t* value, const std::string& name)
{
    SerializeInteger(archive, value, "unsigned_long", name);
    return true;
}

bool QFSerializeValue(QFArchive* archive, uint16_t* value, const std::string& name)
{
    SerializeInteger(archive, value, "unsigned_short", name);
    return true;
}

bool QFSerializeValue(QFArchive* archive, char* value, const std::string& name)
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
            archive->WriteText(name + " = '" + *value + "'\n");
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

bool QFSerializeValue(QFArchive* archive, bool* value, const std::string& name)
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
            archive->WriteText(name + " = " + (*value ? "True" : "False") + "\n");
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

bool QFSerializeValue(QFArchive* archive, std::string* value, const std::string& name)
{
    if (archive->IsStoring()) {
        switch (archive->GetFormat()) {
        case QFArchive::kBinary: {
            if (value->size() > static_cast<size_t>(QFArchive::kMaxStringLength)) {
                archive->SetFailed("string " + name + " is too long to store");
                break;
            }
            uint32_t length = static_cast<uint32_t>(value->size());
            unsigned char bytes[4] = {static_cast<unsigned char>(length & 0xFF),
                                      static_cast<unsigned char>((length >> 8) & 0xFF),
                                      static_cast<unsigned char>((length >> 16) & 0xFF),
                                      static_cast<unsigned char>((length >> 24) & 0xFF)};
            archive->Write(bytes, 4);
            archive->Write(value->data(), static_cast<int>(length));
            break;
        }
        case QFArchive::kXML:
            StoreXmlValue(archive, name, "string", "\"" + *value + "\"");
            break;
        case QFArchive::kTextDump:
            archive->WriteText(name + " = \"" + *value + "\"\n");
            break;
        }
        return true;
    }
    if (archive->GetFormat() == QFArchive::kBinary) {
        unsigned char bytes[4];
        if (!archive->Read(bytes, 4))
            return true;
        int32_t length = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                              static_cast<uint32_t>(bytes[2]) << 16 |
                                              static_cast<uint32_t>(bytes[3]) << 24);
        if (length <= 0) {
            value->clear();
            return true;
        }
        if (length > QFArchive::kMaxStringLength) {
            archive->SetFailed("string " + name + " of " + std::to_string(length) + " bytes");
            return true;
        }
        // Read in pieces, so a length past the end of the file allocates no more than the file holds.
        std::string text;
        char chunk[65536];
        for (int32_t left = length; left > 0;) {
            int piece = left < static_cast<int32_t>(sizeof chunk) ? left : static_cast<int>(sizeof chunk);
            if (!archive->Read(chunk, piece))
                return true;
            text.append(chunk, static_cast<size_t>(piece));
            left -= piece;
        }
        size_t zero = text.find('\0');
        if (zero != std::string::npos)
            text.resize(zero);
        *value = std::move(text);
    } else if (archive->GetFormat() == QFArchive::kXML) {
        std::string line;
        if (ReadXmlValueLine(archive, name, "string", &line))
            *value = archive->StripQuotes(line);
    }
    return true;
}

short QFSerializeVersion(QFArchive* archive, const QFVersion& classVersion)
{
    QFVersion version(classVersion.GetVersion());
    version.Serialize(archive);
    return version.GetVersion();
}

void QFBeginSection(QFArchive* archive, const std::string& name)
{
    archive->WriteOpenTag(name, QFArchive::kSection, "<none>", -1);
    archive->IncIndent();
}

void QFEndSection(QFArchive* archive, const std::string& name)
{
    archive->DecIndent();
    archive->WriteCloseTag(name, QFArchive::kSection);
}
