// Fuzzes the user-list reader: accounts come only from whole records behind the right magic, and logging in
// with each account's own name and password works once.
#include "net/transport/UserList.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<CUserAccount> accounts;
    const bool ok = ParseUserList(data, size, accounts);
    if (!ok && !accounts.empty())
        std::abort();
    if (12 + accounts.size() * CUserAccount::kRecordSize > size && !accounts.empty())
        std::abort();
    for (CUserAccount& a : accounts) {
        const bool blocked = (a.m_uFlags & CUserAccount::kLoggedIn) != 0;
        if (a.Login(FieldText(a.m_szName), FieldText(a.m_szPassword), 5) == blocked)
            std::abort();
        if (a.Login(FieldText(a.m_szName), FieldText(a.m_szPassword), 6))
            std::abort();
    }
    return 0;
}
