// Fuzzes the "L3.ini" reader: the address stays a terminated string within its field.
#include "relay/model/L3Settings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    L3_DEMO_STRUCT s{};
    int taken = ParseL3ini(reinterpret_cast<const char*>(data), size, &s);
    if (taken < 0 || taken > 6)
        std::abort();
    if (std::memchr(s.address, '\0', sizeof s.address) == nullptr)
        std::abort();
    return 0;
}
