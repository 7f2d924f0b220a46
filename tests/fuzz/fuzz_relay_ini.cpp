// Fuzzes the "L3.ini" reader: the address stays a terminated string within its field.
#include "relay/model/L3Settings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    L3_DEMO_STRUCT s{};
    int taken = ParseL3ini(reinterpret_cast<const char*>(data), size, &s);
    if (taken < 0 || taken > 6)
        std::abort();
    if (std::memchr(s.address, '\0', sizeof s.address) == nullptr)
        std::abort();
    // Usable settings are a dotted quad and a port in range; anything else says why.
    std::string error;
    if (CheckL3Settings(s, error) ? (s.port < 1 || s.port > 65535) : error.empty())
        std::abort();
    return 0;
}
