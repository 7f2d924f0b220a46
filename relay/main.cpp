// Pelmora: relays positions from multicast datagrams into "L3_XY_FILE" in the current folder.
#include "platform/system/Paths.h"
#include "relay/model/Relay.h"

int main()
{
    return PelmoraMain(platform::CurrentFolder());
}
