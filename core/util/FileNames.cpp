// The plain file-name rule shared by the game and the editors.
#include "core/util/FileNames.h"

bool IsBareFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.size() > 255)
        return false;
    for (unsigned char c : name)
        if (c < 32 || c == '/' || c == '\\' || c == ':' || c == 127)
            return false;
    return true;
}
