// Console output of the relay: formatted text to standard output or to a sink.
#include "relay/model/Console.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace {
RelayConsoleSink g_sink;
}

void SetRelayConsoleSink(RelayConsoleSink sink)
{
    g_sink = std::move(sink);
}

void RelayPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (n > 0) {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(n));
    }
    va_end(args);
    if (g_sink) {
        g_sink(text);
    } else {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    }
}
