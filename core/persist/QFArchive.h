// Reads and writes a graph of persistent objects in three formats: text dump, XML and binary.
#pragma once

#include "core/persist/QFSerializeBase.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <unordered_map>

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
    virtual QFSerializeBase* ReadObjectPointer(const QFClassInfo* classInfo, const std::string& name, bool* isFuture,
                                               int32_t* id);
    virtual QFSerializeBase* ReadObjectBinary(bool* isFuture, int32_t* id);
    virtual QFSerializeBase* ReadObjectXML(const QFClassInfo* classInfo, const std::string& name, bool* isFuture,
                                           int32_t* id);

    virtual bool IsLoading() const { return m_mode == kLoading; }
    virtual bool IsStoring() const { return m_mode == kStoring; }

    // Stream access; false without a stream. A read or write that does not go through whole (short read, end of
    // file, a line over kMaxLineLength, a failed write) fails the archive; once failed, they do nothing.
    virtual bool Read(void* buffer, int length);
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
    void WriteText(const std::string& text);

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
    void AddLoadFuture(int32_t id, const std::string& name, const QFClassInfo* classInfo, FutureSetter setter);
    // Marks a loaded object as owned by a member. Objects the archive created that no member adopted (a wrong
    // class, a document that failed half-way) are deleted by EndDocument/Reset, so a failed load leaks nothing.
    // A class that reads a pointer without QFSerializePointer and keeps the object must adopt it.
    void Adopt(QFSerializeBase* object);
    // Whether the last ReadObjectPointer answered with an object that had been loaded before (tag 1 / kind 4).
    bool LastWasReference() const { return m_lastWasReference; }

    int GetLineCount() const { return m_lineCount; }

private:
    void DropDocument();
    QFSerializeBase* CreateLoaded(const std::string& className, int32_t id);
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
    std::map<int32_t, QFSerializeBase*> m_loadMap;
    std::unordered_map<const QFSerializeBase*, int32_t> m_storeMap;
    std::unordered_map<QFSerializeBase*, bool> m_created; // objects made while loading -> adopted by a member
    int32_t m_nextId = 0;
    int m_lineCount = 0;
    int m_depth = 0; // objects being read inside one another
    bool m_lastWasReference = false;
    bool m_failed = false;
    std::string m_failReason;
};

// Typed value handlers; each writes or reads one member under its literal name. They always return true;
// a failed read leaves the value as it was and marks the archive failed.
bool QFSerializeValue(QFArchive* archive, int32_t* value, const std::string& name);     // "int"
bool QFSerializeLong(QFArchive* archive, int32_t* value, const std::string& name);      // "long"
bool QFSerializeValue(QFArchive* archive, int16_t* value, const std::string& name);     // "short"
bool QFSerializeValue(QFArchive* archive, char* value, const std::string& name);        // "char"
bool QFSerializeValue(QFArchive* archive, uint32_t* value, const std::string& name);    // "unsigned_int"
bool QFSerializeULong(QFArchive* archive, uint32_t* value, const std::string& name);    // "unsigned_long"
bool QFSerializeValue(QFArchive* archive, uint16_t* value, const std::string& name);    // "unsigned_short"
bool QFSerializeValue(QFArchive* archive, bool* value, const std::string& name);        // "bool"
bool QFSerializeValue(QFArchive* archive, std::string* value, const std::string& name); // "string"

// Writes the class's current version, or reads the file's; returns the version that governs this call.
// The class's static version object is never changed.
short QFSerializeVersion(QFArchive* archive, const QFVersion& classVersion);

// The "BaseClass" and "Members" section brackets (they write and read nothing in binary).
void QFBeginSection(QFArchive* archive, const std::string& name);
void QFEndSection(QFArchive* archive, const std::string& name);

// A member present in file versions first..last: always written when storing, read only within the range.
inline bool QFHasMember(QFArchive* archive, short fileVersion, short first, short last = SHRT_MAX)
{
    return archive->IsStoring() || (fileVersion >= first && fileVersion <= last);
}
// A retired member: never written, read (and dropped by the caller) only within its range.
inline bool QFHasRetired(QFArchive* archive, short fileVersion, short first, short last)
{
    return archive->IsLoading() && fileVersion >= first && fileVersion <= last;
}

namespace qf_detail {
template <class T>
bool AssignLoaded(QFArchive* archive, T** member, QFSerializeBase* object, bool reference, bool owning,
                  const std::string& name)
{
    T* typed = object ? dynamic_cast<T*>(object) : nullptr;
    if (object && !typed) {
        archive->SetFailed("object of class " + object->GetClassName() + " where " + T::s_classInfo.className +
                           " was expected for " + name);
        *member = nullptr;
        return false;
    }
    if (typed && !reference && !owning) {
        // Nothing would own an object read whole into a member that only refers to it.
        archive->SetFailed("object read whole into the non-owning member " + name);
        *member = nullptr;
        return false;
    }
    if (typed && reference && owning) {
        // A member that owns its object cannot take one that another member already owns.
        archive->SetFailed("shared reference read into the owning member " + name);
        *member = nullptr;
        return false;
    }
    *member = typed;
    if (typed && owning)
        archive->Adopt(typed);
    return true;
}

template <class T> bool SerializePointer(QFArchive* archive, T** member, const std::string& name, bool owning)
{
    if (archive->IsStoring()) {
        archive->WritePointer(*member, name);
        return true;
    }
    bool isFuture = false;
    int32_t id = -1;
    QFSerializeBase* object = archive->ReadObjectPointer(&T::s_classInfo, name, &isFuture, &id);
    if (isFuture && owning) {
        // The member would be filled later through its address, which may be gone by then (a local, a slot of a
        // list that grows); nothing writes forward records for owned objects, so they are refused.
        *member = nullptr;
        archive->SetFailed("forward reference to an owned " + std::string(T::s_classInfo.className) + " in " + name);
        return true;
    }
    if (isFuture) {
        *member = nullptr;
        archive->AddLoadFuture(id, name, &T::s_classInfo, [archive, member, owning, name](QFSerializeBase* o, bool fresh) {
            return AssignLoaded(archive, member, o, !fresh, owning, name);
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
template <class T> bool QFSerializePointer(QFArchive* archive, T** member, const std::string& name)
{
    return qf_detail::SerializePointer(archive, member, name, true);
}

// The same for a member that only refers to an object owned elsewhere in the document (shared objects). The owner
// must come first: an object read whole into such a member (nothing would own it) fails the archive.
template <class T> bool QFSerializeReference(QFArchive* archive, T** member, const std::string& name)
{
    return qf_detail::SerializePointer(archive, member, name, false);
}
