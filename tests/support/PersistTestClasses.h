// Small persistent classes for archive tests, fuzzing and benchmarks: a leaf, a subclass of it and a node.
#pragma once

#include "core/persist/QFArchive.h"

#include <cstdint>
#include <deque>
#include <string>

// Version 2: "m_nValue" always; "m_nOld" only in version 1 (retired); "m_strText" from version 2.
class CTestLeaf : public QFSerializeBase {
    QF_DECLARE_SERIAL(CTestLeaf)
public:
    bool Serialize(QFArchive* archive) override;

    int32_t m_nValue = 0;
    std::string m_strText = "default";
};

// A subclass that serialises its whole base first, then its own version and members.
class CTestSpecialLeaf : public CTestLeaf {
    QF_DECLARE_SERIAL(CTestSpecialLeaf)
public:
    bool Serialize(QFArchive* archive) override;

    char m_cMark = 'x';
};

// Owns its leaf, child and items; only refers to the shared leaf.
class CTestNode : public QFSerializeBase {
    QF_DECLARE_SERIAL(CTestNode)
public:
    ~CTestNode() override;
    bool Serialize(QFArchive* archive) override;

    int32_t m_nId = 0;
    CTestLeaf* m_pLeaf = nullptr;
    CTestNode* m_pChild = nullptr;
    CTestLeaf* m_pShared = nullptr;
    std::deque<CTestLeaf*> m_items; // stable slots: a forward record may fill one later
};

// Registers the three classes (after the core classes).
void RegisterTestClasses();
