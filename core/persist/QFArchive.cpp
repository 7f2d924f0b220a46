// The object archive: documents, stream access, object ids, pointers, forward references and XML tags.
#include "core/persist/QFArchive.h"

#include "core/persist/QFFileStream.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <map>
#include <new>
#include <sstream>
#include <vector>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool StartsNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::string OpeningName(const std::string& name)
{
    return name.empty() ? "~NULL~" : name;
}

// The tokens of a tag line, split at every run of double quote, '<', '>', '=' and blank.
std::vector<std::string> Tokenise(const std::string& line)
{
    std::vector<std::string> tokens;
    std::string token;
    for (char c : line) {
        if (c == '"' || c == '<' || c == '>' || c == '=' || c == ' ') {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty())
        tokens.push_back(token);
    return tokens;
}

// Whether the tag line names `expected` exactly (for names holding tag delimiters, such as "pSid->Id").
bool RawNameIs(const std::string& line, const std::string& expected)
{
    const std::string key = "name=\"";
    size_t at = line.find(key);
    if (at == std::string::npos)
        return false;
    return line.compare(at + key.size(), expected.size(), expected) == 0 &&
           line.compare(at + key.size() + expected.size(), 1, "\"") == 0;
}

void AppendLE(std::string* out, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

QFArchive::QFArchive()
{
    Reset(kLoading, nullptr, kBinary, 0, 0);
}

QFArchive::~QFArchive()
{
    DropDocument();
}

void QFArchive::DropDocument()
{
    m_loadFutures.clear();
    m_storeFutures.clear();
    m_vLoaded.clear();
    m_loadOverflow.clear();
    m_storeMap.clear();
    m_vClasses.clear();
    DropReadAhead();
    std::vector<Created> created;
    created.swap(m_vCreated);
    m_nLastCreated = SIZE_MAX;
    for (const Created& entry : created)
        if (!entry.adopted)
            delete entry.object;
}

void QFArchive::Reset(int mode, QFFileStream* stream, int format, int skipPointers, int shallowPointers)
{
    DropDocument();
    m_mode = mode;
    m_stream = stream;
    m_format = format;
    m_skipPointers = skipPointers;
    m_shallowPointers = (format == kXML || format == kBinary) ? 0 : shallowPointers;
    m_indent = 0;
    m_indentStep = 1;
    m_nextId = 0;
    m_busy = false;
    m_resolving = false;
    m_lineCount = 0;
    m_depth = 0;
    m_lastWasReference = false;
    m_failed = false;
    m_failReason.clear();
}

void QFArchive::BeginDocument(int mode, QFFileStream* stream, int format)
{
    Reset(mode, stream, format, 0, 0);
    if (format != kXML || !stream)
        return;
    if (IsStoring()) {
        WriteText("<? xml version = \"1.0\" standalone = \"yes\" ?>\n");
        WriteText("<XML>\n");
    } else {
        std::string line;
        ReadLine(&line, 5000);
        ReadLine(&line, 5000);
    }
}

void QFArchive::EndDocument()
{
    // What was read ahead and not used goes back, so the stream stands where the document ended.
    if (m_stream && m_pInEnd > m_pIn)
        m_stream->SeekBack(m_pInEnd - m_pIn);
    if (m_format == kXML && m_stream) {
        if (IsStoring()) {
            WriteText("</XML>\n");
        } else {
            std::string line;
            ReadLine(&line, 5000);
        }
    }
    // The outcome stays readable until the next document begins.
    bool failed = m_failed;
    std::string reason = m_failReason;
    Reset(kLoading, nullptr, kBinary, 0, 0);
    m_failed = failed;
    m_failReason = reason;
}

void QFArchive::SetFailed(const std::string& reason)
{
    if (m_failed)
        return;
    m_failed = true;
    m_failReason = reason;
    // Nothing more is read, not even what was read ahead.
    m_pIn = m_pInEnd;
}

// ---------------------------------------------------------------------------------------------------------------
// Stream access

bool QFArchive::Read(void* buffer, int length)
{
    if (length > 0)
        return ReadBytes(buffer, static_cast<size_t>(length));
    if (m_failed)
        return false;
    if (!m_stream) {
        SetFailed("no file to read");
        return false;
    }
    return true;
}

bool QFArchive::ReadBytesSlow(void* buffer, size_t length)
{
    if (m_failed)
        return false;
    if (!m_stream) {
        SetFailed("no file to read");
        return false;
    }
    auto* out = static_cast<char*>(buffer);
    if (!LoadsBinary()) {
        // Text formats read straight from the stream.
        int got = static_cast<int>(std::min<size_t>(length, INT_MAX));
        if (length > INT_MAX || !m_stream->Read(out, &got) || static_cast<size_t>(got) != length) {
            SetFailed("unexpected end of data");
            return false;
        }
        return true;
    }
    while (length > 0) {
        if (m_pIn == m_pInEnd && !FillReadAhead()) {
            SetFailed("unexpected end of data");
            return false;
        }
        size_t take = std::min(length, static_cast<size_t>(m_pInEnd - m_pIn));
        std::memcpy(out, m_pIn, take);
        m_pIn += take;
        out += take;
        length -= take;
    }
    return true;
}

bool QFArchive::FillReadAhead()
{
    // The rest of the file in one read when its size is known, else a piece.
    long long left = m_stream->BytesLeft();
    size_t want = left > 0 ? static_cast<size_t>(std::min<long long>(left, kMaxReadAhead)) : kReadPiece;
    if (want > m_nReadAheadSize) {
        m_pReadAhead.reset(new (std::nothrow) char[want]);
        m_nReadAheadSize = m_pReadAhead ? want : 0;
        if (!m_pReadAhead) {
            m_pIn = m_pInEnd = nullptr;
            return false;
        }
    }
    int got = static_cast<int>(want);
    if (!m_stream->Read(m_pReadAhead.get(), &got) || got <= 0) {
        m_pIn = m_pInEnd = nullptr;
        return false;
    }
    m_pIn = m_pReadAhead.get();
    m_pInEnd = m_pIn + got;
    return true;
}

void QFArchive::DropReadAhead()
{
    m_pReadAhead.reset();
    m_nReadAheadSize = 0;
    m_pIn = m_pInEnd = nullptr;
}

bool QFArchive::ReadStringBytes(std::string* value, int32_t length, std::string_view name)
{
    if (length <= 0) {
        value->clear();
        return true;
    }
    if (length > kMaxStringLength) {
        SetFailed("string " + std::string(name) + " of " + std::to_string(length) + " bytes");
        return false;
    }
    auto size = static_cast<size_t>(length);
    if (size <= static_cast<size_t>(m_pInEnd - m_pIn)) {
        const char* text = m_pIn;
        m_pIn += size;
        const void* zero = std::memchr(text, '\0', size);
        value->assign(text, zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : size);
        return true;
    }
    // Read in pieces, so a length past the end of the file allocates no more than the file holds.
    std::string text;
    char chunk[65536];
    for (size_t left = size; left > 0;) {
        size_t piece = std::min(left, sizeof chunk);
        if (!ReadBytes(chunk, piece))
            return false;
        text.append(chunk, piece);
        left -= piece;
    }
    size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    *value = std::move(text);
    return true;
}

bool QFArchive::ReadLine(std::string* line, int)
{
    line->clear();
    if (m_failed)
        return false;
    if (!m_stream) {
        SetFailed("no file to read");
        return false;
    }
    // Whole lines of any length up to the cap, read in pieces.
    char chunk[4096];
    bool any = false;
    for (;;) {
        int size = static_cast<int>(sizeof chunk);
        if (!m_stream->ReadLine(chunk, &size))
            break;
        any = true;
        line->append(chunk, static_cast<size_t>(size));
        bool complete = !line->empty() && line->back() == '\n';
        if (line->size() - (complete ? 1 : 0) > static_cast<size_t>(kMaxLineLength)) {
            line->clear();
            SetFailed("line " + std::to_string(m_lineCount + 1) + " is too long");
            return false;
        }
        if (complete)
            break;
    }
    if (!any) {
        if (m_stream->GetType() != QFFileStream::kText)
            SetFailed("the file is not open as text");
        else
            SetFailed("unexpected end of file after line " + std::to_string(m_lineCount));
        return false;
    }
    if (line->size() >= 2 && (*line)[line->size() - 2] == '\r' && line->back() == '\n')
        line->erase(line->size() - 2, 1);
    ++m_lineCount;
    *line = StripBlanks(*line);
    return true;
}

bool QFArchive::Write(const void* buffer, int length)
{
    if (m_failed)
        return false;
    if (!m_stream) {
        SetFailed("no file to write");
        return false;
    }
    if (!m_stream->Write(buffer, length)) {
        SetFailed("cannot write to " + m_stream->GetPath());
        return false;
    }
    return true;
}

bool QFArchive::Flush()
{
    if (!m_stream)
        return false;
    m_stream->Flush();
    return true;
}

void QFArchive::WriteText(std::string_view text)
{
    Write(text.data(), static_cast<int>(text.size()));
}

// ---------------------------------------------------------------------------------------------------------------
// Writing pointers

bool QFArchive::LookupStoreId(QFSerializeBase* object, int32_t* id)
{
    *id = -1;
    if (!object) {
        WriteNullPointer();
        return false;
    }
    auto it = m_storeMap.find(object);
    if (it == m_storeMap.end()) {
        *id = WriteNewObjHeader(object);
        return true;
    }
    WriteObjReference(it->second);
    *id = it->second;
    return false;
}

int32_t QFArchive::WriteNewObjHeader(QFSerializeBase* object)
{
    int32_t id = m_nextId++;
    m_storeMap[object] = id;
    if (m_format == kBinary) {
        std::string className = object->GetClassName();
        std::string bytes;
        AppendLE(&bytes, 2, 1);
        AppendLE(&bytes, static_cast<uint32_t>(id), 4);
        AppendLE(&bytes, static_cast<uint32_t>(className.size()), 4);
        bytes += className;
        Write(bytes.data(), static_cast<int>(bytes.size()));
    }
    return id;
}

int32_t QFArchive::WriteTagObjHeader(QFSerializeBase* object, const std::string& name)
{
    int32_t id = m_nextId++;
    m_storeMap[object] = id;
    if (m_format == kBinary)
        WriteBinaryRecord(6, id);
    else if (m_format == kXML)
        WriteOpenTag(name, kForward, object->GetClassName(), id);
    return id;
}

void QFArchive::WriteBinaryRecord(int tag, int32_t id)
{
    std::string bytes;
    AppendLE(&bytes, static_cast<uint32_t>(tag), 1);
    AppendLE(&bytes, static_cast<uint32_t>(id), 4);
    Write(bytes.data(), static_cast<int>(bytes.size()));
}

void QFArchive::WriteNullPointer()
{
    if (m_format == kBinary)
        WriteBinaryRecord(0, 0);
}

void QFArchive::WriteObjReference(int32_t id)
{
    if (m_format == kBinary)
        WriteBinaryRecord(1, id);
}

void QFArchive::WriteOldObjReference(QFSerializeBase* object, const std::string& name, int32_t id)
{
    if (m_format == kBinary)
        WriteBinaryRecord(5, id);
    else if (m_format == kXML)
        WriteOpenTag(name, kOldObject, object->GetClassName(), id);
}

void QFArchive::WritePointerForward(QFSerializeBase* object, const std::string& name)
{
    if (m_skipPointers)
        return;
    if (!object) {
        if (m_format == kXML)
            WriteOpenTag(name, kNullObject, "<none>", -1);
        else
            WriteNullPointer();
        return;
    }
    auto it = m_storeMap.find(object);
    if (it != m_storeMap.end()) {
        WriteOldObjReference(object, name, it->second);
        return;
    }
    int32_t id = WriteTagObjHeader(object, name);
    Future future;
    future.id = id;
    future.name = name;
    future.object = object;
    m_storeFutures.push_back(std::move(future));
}

void QFArchive::WritePointer(QFSerializeBase* object, const std::string& name)
{
    if (!IsStoring() || (m_busy && m_shallowPointers))
        return;
    m_busy = true;
    if (m_format == kTextDump)
        WritePointerText(object, name, -1);
    else if (m_format == kXML)
        WritePointerXML(object, name, -1);
    else if (m_format == kBinary)
        WritePointerBinary(object, name, -1);
    m_busy = false;
}

void QFArchive::WritePointerBinary(QFSerializeBase* object, const std::string&, int32_t id)
{
    if (m_skipPointers)
        return;
    if (id != -1 || LookupStoreId(object, &id))
        object->Serialize(this);
}

void QFArchive::WritePointerText(QFSerializeBase* object, const std::string& name, int32_t id)
{
    if (m_skipPointers)
        return;
    if (!object) {
        WriteText(name + " = Object<NULL>\n");
        return;
    }
    if (id != -1 || LookupStoreId(object, &id)) {
        WriteText(name + " = Object<" + object->GetClassName() + ">\n");
        object->Serialize(this);
    }
}

void QFArchive::WriteTextObjectLine(QFSerializeBase* object, const std::string& name)
{
    WritePointerText(object, name, -1);
}

void QFArchive::WritePointerXML(QFSerializeBase* object, const std::string& name, int32_t id)
{
    if (m_skipPointers)
        return;
    if (!object) {
        WriteOpenTag(name, kNullObject, "<none>", -1);
        return;
    }
    if (id == -1 && !LookupStoreId(object, &id)) {
        WritePointerForward(object, name);
        return;
    }
    WriteOpenTag(name, kNewObject, object->GetClassName(), id);
    IncIndent();
    object->Serialize(this);
    DecIndent();
    WriteCloseTag(name, kNewObject);
}

void QFArchive::RegisterPointer(QFSerializeBase* object, const std::string&)
{
    if (m_skipPointers)
        return;
    int32_t id = -1;
    LookupStoreId(object, &id);
}

// ---------------------------------------------------------------------------------------------------------------
// Reading pointers

void QFArchive::AddLoadFuture(int32_t id, std::string_view name, const QFClassInfo* classInfo, FutureSetter setter)
{
    if (m_failed)
        return;
    Future future;
    future.id = id;
    future.name = std::string(name);
    future.classInfo = classInfo;
    future.setter = std::move(setter);
    m_loadFutures.push_back(std::move(future));
}

void QFArchive::Adopt(QFSerializeBase* object)
{
    // Almost always the object the last pointer read made; else the latest entry for it.
    if (m_nLastCreated < m_vCreated.size() && m_vCreated[m_nLastCreated].object == object) {
        m_vCreated[m_nLastCreated].adopted = true;
        return;
    }
    for (auto it = m_vCreated.rbegin(); it != m_vCreated.rend(); ++it)
        if (it->object == object) {
            it->adopted = true;
            return;
        }
}

QFCreateFunction QFArchive::FindClass(std::string_view className)
{
    for (const auto& [name, create] : m_vClasses)
        if (name == className)
            return create;
    QFCreateFunction create = QFClassFactory::Instance().Find(className);
    if (create)
        m_vClasses.emplace_back(std::string(className), create);
    return create;
}

QFSerializeBase* QFArchive::CreateLoaded(std::string_view className, int32_t id)
{
    if (m_depth >= kMaxDepth) {
        SetFailed("objects nested deeper than " + std::to_string(kMaxDepth));
        return nullptr;
    }
    QFCreateFunction create = FindClass(className);
    QFSerializeBase* object = create ? create() : nullptr;
    if (!object) {
        SetFailed("unknown class \"" + std::string(className) + "\"");
        return nullptr;
    }
    m_vCreated.push_back(Created{object, false});
    if (id >= 0)
        EnterLoaded(id, object);
    return object;
}

QFSerializeBase* QFArchive::FindLoaded(int32_t id) const
{
    if (id >= 0 && static_cast<size_t>(id) < m_vLoaded.size() && m_vLoaded[static_cast<size_t>(id)])
        return m_vLoaded[static_cast<size_t>(id)];
    if (m_loadOverflow.empty())
        return nullptr;
    auto it = m_loadOverflow.find(id);
    return it == m_loadOverflow.end() ? nullptr : it->second;
}

void QFArchive::EnterLoaded(int32_t id, QFSerializeBase* object)
{
    // Ids near the ones seen so far go to the table; a far one (a damaged file) cannot make it grow without bound.
    constexpr size_t kSlack = 4096;
    if (static_cast<size_t>(id) == m_vLoaded.size() && m_loadOverflow.empty()) {
        m_vLoaded.push_back(object); // the next id, as a writer numbers them
        return;
    }
    if (id >= 0 && static_cast<size_t>(id) < m_vLoaded.size() + kSlack) {
        if (static_cast<size_t>(id) >= m_vLoaded.size())
            m_vLoaded.resize(static_cast<size_t>(id) + 1, nullptr);
        m_vLoaded[static_cast<size_t>(id)] = object;
        if (!m_loadOverflow.empty())
            m_loadOverflow.erase(id);
    } else {
        m_loadOverflow[id] = object;
    }
}

QFSerializeBase* QFArchive::ReadObjectPointer(const QFClassInfo* classInfo, std::string_view name, bool* isFuture,
                                              int32_t* id)
{
    bool futureLocal = false;
    int32_t idLocal = -1;
    if (!isFuture)
        isFuture = &futureLocal;
    if (!id)
        id = &idLocal;
    m_lastWasReference = false;
    m_nLastCreated = SIZE_MAX;
    if (!Loads() || m_failed)
        return nullptr;

    QFSerializeBase* object = nullptr;
    if (m_format == kXML)
        object = ReadObjectXML(classInfo, name, isFuture, id);
    else if (m_format == kBinary)
        object = ReadObjectBinary(isFuture, id);
    bool reference = m_lastWasReference;
    size_t created = m_nLastCreated;
    if (!*isFuture && *id >= 0 && object && FindLoaded(*id) != object)
        EnterLoaded(*id, object);

    if (!m_resolving && !m_loadFutures.empty())
        ResolveLoadFutures();

    if (m_failed) {
        *isFuture = false;
        m_lastWasReference = false;
        m_nLastCreated = SIZE_MAX;
        return nullptr;
    }
    m_lastWasReference = reference;
    m_nLastCreated = created;
    return object;
}

void QFArchive::ResolveLoadFutures()
{
    m_resolving = true;
    while (!m_loadFutures.empty() && !m_failed) {
        Future future = std::move(m_loadFutures.front());
        m_loadFutures.pop_front();
        if (QFSerializeBase* loaded = FindLoaded(future.id)) {
            future.setter(loaded, false);
            continue;
        }
        // The next pointer record of the stream is read on the record's behalf.
        bool isFuture = false;
        int32_t id = -1;
        QFSerializeBase* object = ReadObjectPointer(future.classInfo, future.name, &isFuture, &id);
        if (object && id >= 0 && !isFuture)
            future.setter(object, !m_lastWasReference);
    }
    if (m_failed)
        m_loadFutures.clear();
    m_resolving = false;
}

QFSerializeBase* QFArchive::ReadObjectBinary(bool* isFuture, int32_t* id)
{
    m_lastWasReference = false;
    m_nLastCreated = SIZE_MAX;
    unsigned char head[5];
    if (!ReadBytes(head, 5))
        return nullptr;
    int tag = static_cast<signed char>(head[0]);
    *id = static_cast<int32_t>(static_cast<uint32_t>(head[1]) | static_cast<uint32_t>(head[2]) << 8 |
                               static_cast<uint32_t>(head[3]) << 16 | static_cast<uint32_t>(head[4]) << 24);
    switch (tag) {
    case 0:
        return nullptr;
    case 1: {
        QFSerializeBase* loaded = FindLoaded(*id);
        m_lastWasReference = loaded != nullptr;
        return loaded;
    }
    case 2: {
        int32_t length = 0;
        if (!ReadLE(&length))
            return nullptr;
        if (length < 0 || length > kMaxClassNameLength) {
            SetFailed("class name of " + std::to_string(length) + " bytes");
            return nullptr;
        }
        // The name is looked at where it was read ahead; it is copied only when it straddles two reads.
        std::string_view className;
        char nameBytes[kMaxClassNameLength];
        if (static_cast<size_t>(length) <= static_cast<size_t>(m_pInEnd - m_pIn)) {
            className = std::string_view(m_pIn, static_cast<size_t>(length));
            m_pIn += length;
        } else {
            if (!ReadBytes(nameBytes, static_cast<size_t>(length)))
                return nullptr;
            className = std::string_view(nameBytes, static_cast<size_t>(length));
        }
        className = className.substr(0, className.find('\0'));
        QFSerializeBase* object = CreateLoaded(className, *id);
        if (!object)
            return nullptr;
        size_t slot = m_vCreated.size() - 1;
        ++m_depth;
        object->Serialize(this);
        --m_depth;
        m_lastWasReference = false;
        m_nLastCreated = slot;
        return object;
    }
    case 5:
    case 6:
        *isFuture = true;
        return nullptr;
    default:
        SetFailed("unknown pointer record " + std::to_string(tag));
        return nullptr;
    }
}

QFSerializeBase* QFArchive::ReadObjectXML(const QFClassInfo*, std::string_view name, bool* isFuture, int32_t* id)
{
    m_lastWasReference = false;
    m_nLastCreated = SIZE_MAX;
    int kind = -1;
    std::string type;
    if (!ReadObjTag(std::string(name), &kind, &type, id))
        return nullptr;
    switch (kind) {
    case kNewObject: {
        QFSerializeBase* object = CreateLoaded(type, *id);
        if (!object)
            return nullptr;
        size_t slot = m_vCreated.size() - 1;
        ++m_depth;
        object->Serialize(this);
        --m_depth;
        ReadCloseTag(kNewObject);
        m_lastWasReference = false;
        m_nLastCreated = slot;
        return object;
    }
    case kOldObject: {
        // A reference to an id not loaded gives null, as in binary: nothing would own a stand-in object.
        QFSerializeBase* loaded = FindLoaded(*id);
        m_lastWasReference = loaded != nullptr;
        return loaded;
    }
    case kForward:
        *isFuture = true;
        return nullptr;
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// XML tags

void QFArchive::WriteIndent()
{
    if (!IsStoring() || m_format != kXML || m_indent < 0)
        return;
    WriteText(std::string(static_cast<size_t>(std::min(m_indent, 60)), ' '));
}

void QFArchive::IncIndent()
{
    if (IsStoring() && m_format == kXML)
        m_indent += m_indentStep;
}

void QFArchive::DecIndent()
{
    if (IsStoring() && m_format == kXML)
        m_indent -= m_indentStep;
}

void QFArchive::WriteValueIndent()
{
    IncIndent();
    WriteIndent();
    DecIndent();
}

void QFArchive::WriteOpenTag(const std::string& name, int kind, const std::string& type, int32_t id)
{
    if (IsStoring()) {
        if (m_format == kTextDump) {
            WriteText("\n[" + name + "]\n");
            return;
        }
        if (m_format != kXML)
            return;
        std::string n = OpeningName(name);
        std::string ids = std::to_string(id);
        std::string tag;
        switch (kind) {
        case kSection:
            tag = "<" + n + ">";
            break;
        case kValue:
            tag = "<var name=\"" + n + "\" type=\"" + type + "\">";
            break;
        case kNewObject:
            tag = "<obj name=\"" + n + "\" type=\"" + type + "\" id=\"" + ids + "\">";
            break;
        case kNullObject:
            tag = "<null obj name=\"" + n + "\">";
            break;
        case kOldObject:
            tag = "<old obj name=\"" + n + "\" type=\"" + type + "\" id=\"" + ids + "\">";
            break;
        case kForward:
            tag = "<tag obj name=\"" + n + "\" type=\"" + type + "\" id=\"" + ids + "\">";
            break;
        default:
            return;
        }
        WriteIndent();
        WriteText(tag + "\n");
    } else if (m_format == kXML && kind == kSection) {
        std::string line;
        ReadLine(&line, 2000);
    }
}

void QFArchive::WriteCloseTag(const std::string& name, int kind)
{
    if (IsStoring()) {
        if (m_format != kXML)
            return;
        std::string tag;
        if (kind == kSection)
            tag = "</" + name + ">";
        else if (kind == kValue)
            tag = "</var name=\"" + name + "\">";
        else if (kind == kNewObject)
            tag = "</obj name=\"" + name + "\">";
        else
            return;
        WriteIndent();
        WriteText(tag + "\n");
    } else if (m_format == kXML && kind == kSection) {
        std::string line;
        ReadLine(&line, 2000);
    }
}

bool QFArchive::ParseTag(const std::string& line, int* kind, std::string* name, std::string* type, int32_t* id)
{
    std::vector<std::string> tokens = Tokenise(line);
    if (tokens.empty())
        return true;
    auto tokenAt = [&tokens](size_t i) { return i < tokens.size() ? tokens[i] : std::string(); };
    // The token after the next `keyword` at or after `from`; its index through `at`.
    auto after = [&tokens](const char* keyword, size_t from, size_t* at) {
        for (size_t i = from; i < tokens.size(); ++i)
            if (EqualNoCase(tokens[i], keyword)) {
                *at = i + 1;
                return i + 1 < tokens.size() ? tokens[i + 1] : std::string();
            }
        *at = tokens.size();
        return std::string();
    };
    const std::string& first = tokens[0];
    size_t nameAt;
    int k;
    if (EqualNoCase(first, "var")) {
        k = kValue;
        nameAt = 2;
    } else if (EqualNoCase(first, "obj")) {
        k = kNewObject;
        nameAt = 2;
    } else if (EqualNoCase(first, "old")) {
        k = kOldObject;
        nameAt = 3;
    } else if (EqualNoCase(first, "tag")) {
        k = kForward;
        nameAt = 3;
    } else if (EqualNoCase(first, "null")) {
        k = kNullObject;
        nameAt = 3;
    } else {
        return false;
    }
    *kind = k;
    std::string n = tokenAt(nameAt);
    *name = n == "~NULL~" ? std::string() : n;
    if (k == kNullObject)
        return true;
    // The keywords are looked for after the name's closing quote, so a name ending in "Type" or "id" (such
    // as "pSid->Type", split at its '>') is not taken for one; a line without a quoted name is read as tokens.
    const std::string key = "name=\"";
    const size_t open = line.find(key);
    const size_t close = open == std::string::npos ? open : line.find('"', open + key.size());
    size_t from = nameAt + 1;
    if (close != std::string::npos) {
        tokens = Tokenise(line.substr(close + 1));
        from = 0;
    }
    size_t typeAt = 0;
    *type = after("type", from, &typeAt);
    if (k == kValue)
        return true;
    size_t idAt = 0;
    std::string idText = after("id", typeAt + 1, &idAt);
    if (!idText.empty())
        *id = static_cast<int32_t>(std::strtoll(idText.c_str(), nullptr, 10));
    return true;
}

bool QFArchive::ReadCloseTag(int kind)
{
    if (!IsLoading() || m_format != kXML)
        return false;
    std::string line;
    ReadLine(&line, 2000);
    if (kind == kValue)
        return StartsNoCase(line, "</var");
    if (kind == kNewObject)
        return StartsNoCase(line, "</obj");
    return StartsNoCase(line, "</");
}

bool QFArchive::ReadVarTag(const std::string& name, const std::string& type)
{
    if (!IsLoading() || m_format != kXML)
        return false;
    std::string line;
    if (!ReadLine(&line, 2000))
        return false;
    int kind = -1;
    std::string readName, readType;
    int32_t id = -1;
    if (!ParseTag(line, &kind, &readName, &readType, &id))
        return false;
    return readType == type && (readName == name || RawNameIs(line, name));
}

bool QFArchive::ReadObjTag(const std::string& name, int* kind, std::string* type, int32_t* id)
{
    if (!IsLoading() || m_format != kXML)
        return false;
    std::string line;
    if (!ReadLine(&line, 2000))
        return false;
    int k = -1;
    std::string readName;
    if (!ParseTag(line, &k, &readName, type, id))
        return false;
    *kind = k;
    if (k < kNewObject || k > kForward)
        return false;
    return readName.empty() || readName == name || RawNameIs(line, name);
}

void QFArchive::ReadTagName(std::string* name, bool* isOpening)
{
    name->clear();
    *isOpening = true;
    if (!IsLoading() || m_format != kXML || !m_stream || m_failed)
        return;
    auto next = [this](char* c) {
        int length = 1;
        return m_stream->Read(c, &length) && length == 1;
    };
    char c = 0;
    while (next(&c) && c != '<') {
    }
    if (!next(&c))
        return;
    if (c == '/') {
        *isOpening = false;
        if (!next(&c))
            return;
    }
    while (c != '>') {
        *name += c;
        if (!next(&c))
            break;
    }
}

std::string QFArchive::StripQuotes(const std::string& text) const
{
    size_t begin = text.find_first_not_of('"');
    if (begin == std::string::npos)
        return std::string();
    std::string out = text.substr(begin);
    if (!out.empty() && out.back() == '"')
        out.pop_back();
    return out;
}

std::string QFArchive::StripBlanks(const std::string& text) const
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    std::string out = text.substr(begin);
    out.erase(std::remove(out.begin(), out.end(), '\n'), out.end());
    return out;
}

// ---------------------------------------------------------------------------------------------------------------
// Diagnostics

std::string QFArchive::DumpObjectMaps() const
{
    std::ostringstream out;
    out << "\n\nDumping Object Maps:\n";
    out << "  Store Map:\n";
    std::map<int32_t, const QFSerializeBase*> stored;
    for (const auto& [object, id] : m_storeMap)
        stored[id] = object;
    int position = 0;
    for (const auto& [id, object] : stored)
        out << "    " << position++ << "   " << id << "   0x" << std::hex << reinterpret_cast<uintptr_t>(object)
            << std::dec << "   <" << object->GetClassName() << ">\n";
    out << "  Load Map:\n";
    position = 0;
    std::map<int32_t, const QFSerializeBase*> loaded(m_loadOverflow.begin(), m_loadOverflow.end());
    for (size_t id = 0; id < m_vLoaded.size(); ++id)
        if (m_vLoaded[id])
            loaded[static_cast<int32_t>(id)] = m_vLoaded[id];
    for (const auto& [id, object] : loaded)
        out << "    " << position++ << "   " << id << "   0x" << std::hex << reinterpret_cast<uintptr_t>(object)
            << std::dec << "   <" << object->GetClassName() << ">\n";
    out << "  Store Future Map:\n";
    position = 0;
    for (const Future& f : m_storeFutures)
        out << "    " << position++ << "   ID " << f.id << "   0x" << std::hex << reinterpret_cast<uintptr_t>(f.object)
            << std::dec << "   -<" << f.object->GetClassName() << ">   item name <" << f.name << ">\n";
    out << "  Load Future Map:\n";
    position = 0;
    for (const Future& f : m_loadFutures)
        out << "    " << position++ << "   ID " << f.id << "   0x" << std::hex << reinterpret_cast<uintptr_t>(&f)
            << std::dec << "   item name <" << f.name << ">\n";
    out << "\n\n\n";
    return out.str();
}
