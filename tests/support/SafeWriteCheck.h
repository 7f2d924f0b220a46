// Checks, on the calls a recording file layer saw, that a file was written safely.
#pragma once

#include "platform/system/SafeWrite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fixtures {

// A temporary synced and closed, then renamed over `target`, then the target's folder synced.
inline ::testing::AssertionResult WroteSafely(const std::vector<std::string>& calls, const std::string& target)
{
    std::string all;
    for (const std::string& c : calls)
        all += "\n  " + c;
    const std::string suffix = " " + target;
    for (size_t r = 0; r < calls.size(); ++r) {
        const std::string& c = calls[r];
        if (c.compare(0, 7, "rename ") != 0 || c.size() <= 7 + suffix.size() ||
            c.compare(c.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string temporary = c.substr(7, c.size() - 7 - suffix.size());
        size_t sync = calls.size(), close = calls.size(), folder = calls.size();
        for (size_t i = 0; i < r; ++i) {
            if (calls[i] == "sync " + temporary)
                sync = i;
            if (calls[i] == "close " + temporary)
                close = i;
        }
        for (size_t i = r + 1; i < calls.size() && folder == calls.size(); ++i)
            if (calls[i] == "syncdir " + platform::FolderOf(target))
                folder = i;
        if (sync < close && close < r && folder < calls.size())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << target << " was renamed into place without sync, close and "
                                             << "folder sync around it:" << all;
    }
    return ::testing::AssertionFailure() << "nothing was renamed over " << target << ":" << all;
}

} // namespace fixtures
