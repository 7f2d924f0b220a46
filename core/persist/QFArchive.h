// Reads and writes a graph of persistent objects in three formats: text dump, XML and binary.
#pragma once

#include "core/persist/QFSerializeBase.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

class QFFileStream;

class QFArchive {
public:
    enum Mode { kStoring = 0, kLoading = 1 };
    enum Format { kTextDump = 0, kXML = 1, kBinary = 2 };
    enum TagKind { kSection = 0, kValue = 1, kNewObject = 2, kNullObject = 3, kOldObject = 4, kForward = 5 };

    // Bounds on lengths read from a file, checked before anything is allocated.
    static constexpr int kMaxClassNameLength = 255;
    static constexpr int kMaxStringLength = 16 * 1024 * 1024;
    // Longest XML line read, and deepest nesting of objects read, before a document fails.
    static constexpr int kMaxLineLength = 16 * 1024 * 1024;
    static constexpr int kMaxDepth = 256;

    QFArchive();
    virtual ~QFArchive();
    QFArchive(const QFArchive&) = delete;
    QFArchive& operator=(const QFArchive&) = delete;

    void Reset(int mode, QFFileStream* stream, int format, int skipPointers, int shallowPointers);
    void BeginDocument(int mode, QFFileStream* stream, int format);
    virtual void EndDocument();

    // Reading pointers.
    virtual QFSerializeBase* ReadObjectPointer(const QFClassInfo* classInfo, std::string_view name, bool* isFuture,
                                               int32_t* id);
    virtual QFSerializeBase* ReadObjectBinary(bool* isFuture, int32_t* id);
    virtual QFSerializeBase* ReadObjectXML(const QFClassInfo* classInfo, std::string_view name, bool* isFuture,
                                           int32_t* id);

    virtual bool IsLoading() const { return m_mode == kLoading; }
    virtual bool IsStoring() const { return m_mode == kStoring; }
    // The same questions without a virtual call, for the paths taken once per member.
    bool Loads() const { return m_mode == kLoading; }
    bool Stores() const { return m_mode == kStoring; }
    bool LoadsBinary() const { return m_mode == kLoading && m_format == kBinary; }
    int Format() const { return m_format; }

    // Stream access; false without a stream. A read or write that does not go through whole (short read, end of
    // file, a line over kMaxLineLength, a failed write) fails the archive; once failed, they do nothing.
    // A binary document is read ahead: the rest of the file in one read (up to kMaxReadAhead bytes at a time);
    // EndDocument puts the stream back where the document ended.
    virtual bool Read(void* buffer, int length);
    // Read without the virtual call: the bytes come straight from the read-ahead when it holds them.
    bool ReadBytes(void* buffer, size_t length)
    {
        if (length <= static_cast<size_t>(m_pInEnd - m_pIn)) {
            std::memcpy(buffer, m_pIn, length);
            m_pIn += length;
            return true;
        }
        return ReadBytesSlow(buffer, length);
    }
    // A little-endian integer of the width of T; a failed read leaves the value as it was.
    template <class T> bool ReadLE(T* value)
    {
        unsigned char bytes[sizeof(T)];
        if (!ReadBytes(bytes, sizeof bytes))
            return false;
        using U = std::make_unsigned_t<T>;
        U bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            bits = static_cast<U>(bits | static_cast<U>(static_cast<U>(bytes[i]) << (8 * i)));
        *value = static_cast<T>(bits);
        return true;
    }
    // A binary string of `length` bytes (its length already read), cut at its first zero byte.
    bool ReadStringBytes(std::string* value, int32_t length, std::string_view name);
    // One whole line, blanks stripped (StripBlanks). `size` is the historical buffer size; lines are not split.
    virtual bool ReadLine(std::string* line, int size);
    virtual bool Write(const void* buffer, int length);
    virtual bool Flush();

    virtual bool LookupStoreId(QFSerializeBase* object, int32_t* id);
    virtual bool ParseTag(const std::string& line, int* kind, std::string* name, std::string* type, int32_t* id);
    virtual bool ReadCloseTag(int kind);
    virtual bool ReadVarTag(const std::string& name, const std::string& type);
    virtual bool ReadObjTag(const std::string& name, int* kind, std::string* type, int32_t* id);

    virtual int GetMode() const { return m_mode; }
    virtual int GetFormat() const { return m_format; }
    virtual int GetShallowPointers() const { return m_shallowPointers; }
    virtual int GetSkipPointers() const { return m_skipPointers; }
    virtual int GetIndentStep() const { return m_indentStep; }
    virtual int GetIndent() const { return m_indent; }

    // Writing pointers.
    virtual int32_t WriteTagObjHeader(QFSerializeBase* object, const std::string& name);
    virtual int32_t WriteNewObjHeader(QFSerializeBase* object);
    virtual std::string DumpObjectMaps() const;
    virtual void SetShallowPointers(int on) { m_shallowPointers = on; }
    virtual void SetSkipPointers(int on) { m_skipPointers = on; }
    virtual void SetIndentStep(int step) { m_indentStep = step; }
    virtual void SetIndent(int indent) { m_indent = indent; }
    virtual std::string StripQuotes(const std::string& text) const;
    virtual std::string StripBlanks(const std::string& text) const;
    virtual void RegisterPointer(QFSerializeBase* object, const std::string& name);
    virtual void WriteTextObjectLine(QFSerializeBase* object, const std::string& name);
    virtual void WritePointerForward(QFSerializeBase* object, const std::string& name);
    virtual void WriteNullPointer();
    virtual void WritePointer(QFSerializeBase* object, const std::string& name);
    virtual void WritePointerBinary(QFSerializeBase* object, const std::string& name, int32_t id);
    virtual void WritePointerText(QFSerializeBase* object, const std::string& name, int32_t id);
    virtual void WritePointerXML(QFSerializeBase* object, const std::string& name, int32_t id);
    virtual void WriteOldObjReference(QFSerializeBase* object, const std::string& name, int32_t id);
    virtual void WriteObjReference(int32_t id);

    // XML tag I/O (sections, values, objects); the text dump uses the section opening only.
    virtual void WriteCloseTag(const std::string& name, int kind);
    virtual void WriteIndent();
    virtual void DecIndent();
    virtual void IncIndent();
    virtual void WriteValueIndent();
    virtual void WriteOpenTag(const std::string& name, int kind, const std::string& type, int32_t id);
    virtual void ReadTagName(std::string* name, bool* isOpening);

    // Writes formatted text (text dump and XML), with no length limit.
    void WriteText(std::string_view text);

    // Sticky failure: set on a short read, an unknown tag or class, a length over its bound, or an object of the
    // wrong class for its member. Once failed, reads stop touching the stream and loaders must give up.
    // BeginDocument clears it; EndDocument keeps it readable. A caller storing through a safe-write stream
    // abandons the stream instead of closing it when the archive failed.
    bool Failed() const { return m_failed; }
    const std::string& FailReason() const { return m_failReason; }
    void SetFailed(const std::string& reason);

    // Pointer handler support. A setter takes the object resolved for a forward reference and whether it was
    // read fresh for it (true) or found already loaded (false); it answers false when the member refuses it.
    using FutureSetter = std::function<bool(QFSerializeBase* object, bool fresh)>;
    void AddLoadFuture(int32_t id, std::string_view name, const QFClassInfo* classInfo, FutureSetter setter);
    // Marks a loaded object as owned by a member. Objects the archive created that no member adopted (a wrong
    // class, a document that failed half-way) are deleted by EndDocument/Reset, so a failed load leaks nothing.
    // A class that reads a pointer without QFSerializePointer and keeps the object must adopt it.
    void Adopt(QFSerializeBase* object);
    // Whether the last ReadObjectPointer answered with an object that had been loaded before (tag 1 / kind 4).
    bool LastWasReference() const { return m_lastWasReference; }

    int GetLineCount() const { return m_lineCount; }

private:
    // Reading ahead: at most this many bytes are held at once; a file of unknown size is read in smaller pieces.
    static constexpr size_t kMaxReadAhead = 64u << 20;
    static constexpr size_t kReadPiece = 64u << 10;

    void DropDocument();
    bool ReadBytesSlow(void* buffer, size_t length);
    bool FillReadAhead();
    void DropReadAhead();
    QFCreateFunction FindClass(std::string_view className);
    QFSerializeBase* CreateLoaded(std::string_view className, int32_t id);
    QFSerializeBase* FindLoaded(int32_t id) const;
    void EnterLoaded(int32_t id, QFSerializeBase* object);
    void ResolveLoadFutures();
    void WriteBinaryRecord(int tag, int32_t id);

    struct Future {
        int32_t id;
        std::string name;
        QFSerializeBase* object = nullptr;    // store futures: the object
        const QFClassInfo* classInfo = nullptr; // load futures: the class expected
        FutureSetter setter;                   // load futures: fills the member
    };

    QFFileStream* m_stream = nullptr;
    bool m_busy = false;
    bool m_resolving = false;
    int m_mode = kLoading;
    int m_format = kBinary;
    int m_shallowPointers = 0;
    int m_skipPointers = 0;
    int m_indentStep = 1;
    int m_indent = 0;
    std::list<Future> m_loadFutures;
    std::list<Future> m_storeFutures;
    // The load map: ids 0, 1, 2, ... (as written) index a table; any other id goes to the overflow map.
    std::vector<QFSerializeBase*> m_vLoaded;
    std::unordered_map<int32_t, QFSerializeBase*> m_loadOverflow;
    std::unordered_map<const QFSerializeBase*, int32_t> m_storeMap;
    // Objects made while loading, in order, and whether a member adopted each.
    struct Created {
        QFSerializeBase* object;
        bool adopted;
    };
    std::vector<Created> m_vCreated;
    size_t m_nLastCreated = SIZE_MAX; // m_vCreated slot of the object the last ReadObjectPointer made, if any
    // Create functions of the classes met in this document (a handful), found by name without the registry.
    std::vector<std::pair<std::string, QFCreateFunction>> m_vClasses;
    // Read-ahead window of a binary document: [m_pIn, m_pInEnd) is not read yet.
    std::unique_ptr<char[]> m_pReadAhead;
    size_t m_nReadAheadSize = 0;
    const char* m_pIn = nullptr;
    const char* m_pInEnd = nullptr;
    int32_t m_nextId = 0;
    int m_lineCount = 0;
    int m_depth = 0; // objects being read inside one another
    bool m_lastWasReference = false;
    bool m_failed = false;
    std::string m_failReason;
};

namespace qf_detail {
// The formats other than binary loading (and every format for storing).
bool SerializeValue(QFArchive* archive, int32_t* value, const char* typeName, std::string_view name);
bool SerializeValue(QFArchive* archive, int16_t* value, const char* typeName, std::string_view name);
bool SerializeValue(QFArchive* archive, uint32_t* value, const char* typeName, std::string_view name);
bool SerializeValue(QFArchive* archive, uint16_t* value, const char* typeName, std::string_view name);
bool SerializeValue(QFArchive* archive, char* value, std::string_view name);
bool SerializeValue(QFArchive* archive, bool* value, std::string_view name);
bool SerializeValue(QFArchive* archive, std::string* value, std::string_view name);
short SerializeVersion(QFArchive* archive, const QFVersion& classVersion);
void BeginSection(QFArchive* archive, std::string_view name);
void EndSection(QFArchive* archive, std::string_view name);

// Binary loading of an integer, inline: no call per member beyond the read itself.
template <class T> bool SerializeInteger(QFArchive* archive, T* value, const char* typeName, std::string_view name)
{
    if (archive->LoadsBinary()) {
        archive->ReadLE(value);
        return true;
    }
    return SerializeValue(archive, value, typeName, name);
}
} // namespace qf_detail

// Typed value handlers; each writes or reads one member under its literal name. They always return true;
// a failed read leaves the value as it was and marks the archive failed.
inline bool QFSerializeValue(QFArchive* archive, int32_t* value, std::string_view name) // "int"
{
    return qf_detail::SerializeInteger(archive, value, "int", name);
}
inline bool QFSerializeLong(QFArchive* archive, int32_t* value, std::string_view name) // "long"
{
    return qf_detail::SerializeInteger(archive, value, "long", name);
}
inline bool QFSerializeValue(QFArchive* archive, int16_t* value, std::string_view name) // "short"
{
    return qf_detail::SerializeInteger(archive, value, "short", name);
}
inline bool QFSerializeValue(QFArchive* archive, uint32_t* value, std::string_view name) // "unsigned_int"
{
    return qf_detail::SerializeInteger(archive, value, "unsigned_int", name);
}
inline bool QFSerializeULong(QFArchive* archive, uint32_t* value, std::string_view name) // "unsigned_long"
{
    return qf_detail::SerializeInteger(archive, value, "unsigned_long", name);
}
inline bool QFSerializeValue(QFArchive* archive, uint16_t* value, std::string_view name) // "unsigned_short"
{
    return qf_detail::SerializeInteger(archive, value, "unsigned_short", name);
}
inline bool QFSerializeValue(QFArchive* archive, char* value, std::string_view name) // "char"
{
    if (archive->LoadsBinary()) {
        archive->ReadBytes(value, 1);
        return true;
    }
    return qf_detail::SerializeValue(archive, value, name);
}
inline bool QFSerializeValue(QFArchive* archive, bool* value, std::string_view name) // "bool"
{
    if (archive->LoadsBinary()) {
        char byte = 0;
        if (archive->ReadBytes(&byte, 1))
            *value = byte != 0;
        return true;
    }
    return qf_detail::SerializeValue(archive, value, name);
}
inline bool QFSerializeValue(QFArchive* archive, std::string* value, std::string_view name) // "string"
{
    if (archive->LoadsBinary()) {
        int32_t length = 0;
        if (archive->ReadLE(&length))
            archive->ReadStringBytes(value, length, name);
        return true;
    }
    return qf_detail::SerializeValue(archive, value, name);
}

// Writes the class's current version, or reads the file's; returns the version that governs this call.
// The class's static version object is never changed.
inline short QFSerializeVersion(QFArchive* archive, const QFVersion& classVersion)
{
    if (archive->LoadsBinary()) {
        int16_t version = classVersion.GetVersion();
        archive->ReadLE(&version);
        return version;
    }
    return qf_detail::SerializeVersion(archive, classVersion);
}

// The "BaseClass" and "Members" section brackets (they write and read nothing in binary).
inline void QFBeginSection(QFArchive* archive, std::string_view name)
{
    if (archive->Format() != QFArchive::kBinary)
        qf_detail::BeginSection(archive, name);
}
inline void QFEndSection(QFArchive* archive, std::string_view name)
{
    if (archive->Format() != QFArchive::kBinary)
        qf_detail::EndSection(archive, name);
}

// A member present in file versions first..last: always written when storing, read only within the range.
inline bool QFHasMember(QFArchive* archive, short fileVersion, short first, short last = SHRT_MAX)
{
    return archive->Stores() || (fileVersion >= first && fileVersion <= last);
}
// A retired member: never written, read (and dropped by the caller) only within its range.
inline bool QFHasRetired(QFArchive* archive, short fileVersion, short first, short last)
{
    return archive->Loads() && fileVersion >= first && fileVersion <= last;
}

namespace qf_detail {
// The object as a T, or null when it is none: an object of exactly class T needs no dynamic_cast.
template <class T> T* AsClass(QFSerializeBase* object)
{
    if (!object)
        return nullptr;
    if (object->GetClassInfo() == &T::s_classInfo)
        return static_cast<T*>(object);
    return dynamic_cast<T*>(object);
}

template <class T>
bool AssignLoaded(QFArchive* archive, T** member, QFSerializeBase* object, bool reference, bool owning,
                  std::string_view name)
{
    T* typed = AsClass<T>(object);
    if (object && !typed) {
        archive->SetFailed("object of class " + object->GetClassName() + " where " + T::s_classInfo.className +
                           " was expected for " + std::string(name));
        *member = nullptr;
        return false;
    }
    if (typed && !reference && !owning) {
        // Nothing would own an object read whole into a member that only refers to it.
        archive->SetFailed("object read whole into the non-owning member " + std::string(name));
        *member = nullptr;
        return false;
    }
    if (typed && reference && owning) {
        // A member that owns its object cannot take one that another member already owns.
        archive->SetFailed("shared reference read into the owning member " + std::string(name));
        *member = nullptr;
        return false;
    }
    *member = typed;
    if (typed && owning)
        archive->Adopt(typed);
    return true;
}

template <class T> bool SerializePointer(QFArchive* archive, T** member, std::string_view name, bool owning)
{
    if (archive->Stores()) {
        archive->WritePointer(*member, std::string(name));
        return true;
    }
    bool isFuture = false;
    int32_t id = -1;
    QFSerializeBase* object = archive->ReadObjectPointer(&T::s_classInfo, name, &isFuture, &id);
    if (isFuture && owning) {
        // The member would be filled later through its address, which may be gone by then (a local, a slot of a
        // list that grows); nothing writes forward records for owned objects, so they are refused.
        *member = nullptr;
        archive->SetFailed("forward reference to an owned " + std::string(T::s_classInfo.className) + " in " +
                           std::string(name));
        return true;
    }
    if (isFuture) {
        *member = nullptr;
        archive->AddLoadFuture(id, name, &T::s_classInfo,
                               [archive, member, owning, text = std::string(name)](QFSerializeBase* o, bool fresh) {
                                   return AssignLoaded(archive, member, o, !fresh, owning, text);
                               });
        return true;
    }
    AssignLoaded(archive, member, object, archive->LastWasReference(), owning, name);
    return true;
}
} // namespace qf_detail

// The object-pointer handler for a member that owns the T (or derived) it points to. Storing writes the object
// once per document; loading creates it by class name. An object of another class, or a reference to an object
// that another member already holds, fails the archive and leaves the member null.
// A forward record for an owned object fails the archive and leaves the member null.
template <class T> bool QFSerializePointer(QFArchive* archive, T** member, std::string_view name)
{
    return qf_detail::SerializePointer(archive, member, name, true);
}

// The same for a member that only refers to an object owned elsewhere in the document (shared objects). The owner
// must come first: an object read whole into such a member (nothing would own it) fails the archive.
template <class T> bool QFSerializeReference(QFArchive* archive, T** member, std::string_view name)
{
    return qf_detail::SerializePointer(archive, member, name, false);
}
