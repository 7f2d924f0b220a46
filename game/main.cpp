// The ZR game program: runs the game from the working folder.
#include "game/app/Entry.h"

int main()
{
    return RunGame(CEntryOptions{});
}
