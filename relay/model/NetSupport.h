// Address and error-text helpers of the relay's socket classes.
#pragma once

#include "platform/net/Socket.h"

#include <cstdint>

// Dotted IPv4 text to a host-order value. Parsing starts at the first digit ("group 239.1.2.3" reads);
// four dot-separated numbers are needed, else 0. Each number keeps its low 8 bits.
uint32_t IPStringToLong(const char* text);

// "%u.%u.%u.%u" of a host-order value, in `buffer` (at least 16 characters) or in a static one.
const char* IPToString(uint32_t value, char* buffer = nullptr);

// The machine's own address (host order): the first address of its host name that is not loopback, else the
// first non-loopback interface address, else the host name's first address; 0 when none. A non-zero version
// (major in the low byte, minor in the high byte) is printed.
uint32_t localIPAddr(int version);

// Fills a socket address from a host-order address and a port. Refuses an address ending in .0 or .255 and a
// port outside 1 to 65535 (port 0 with "SetSockAddr: port==0 ").
bool setSockaddr(platform::net::SocketAddress* sa, uint32_t address, int port);

// "NAME (code)" for a known error code, " code: N" for another; in one static buffer.
const char* SocketErrorText(int code);
