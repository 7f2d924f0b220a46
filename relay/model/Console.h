// Console output of the relay, with a sink tests can take over.
#pragma once

#include <functional>
#include <string>

using RelayConsoleSink = std::function<void(const std::string&)>;

// Sends console text to `sink`; an empty sink restores standard output.
void SetRelayConsoleSink(RelayConsoleSink sink);

// printf to the console (standard output, flushed, unless a sink is set).
void RelayPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
