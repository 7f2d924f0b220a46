// Runs a piece of a test in a private network namespace, so multicast traffic cannot leave the machine.
#pragma once

#include <functional>
#include <string>

namespace testnet {

enum class Outcome { Passed, Failed, Unavailable };

struct Result {
    Outcome outcome = Outcome::Failed;
    std::string why;
};

// Forks; the child enters a new network namespace (a new user namespace too when not privileged), brings
// loopback up, routes 224.0.0.0/4 over it, runs `body` and reports whether any gtest assertion failed.
// Unavailable, with the reason, where namespaces cannot be made. A child still running after a minute is
// ended by an alarm, so a lost datagram cannot hang the test.
Result RunInPrivateNetwork(const std::function<void()>& body);

} // namespace testnet

// Runs `body` in a private network; skips the test where that cannot be done.
#define RUN_IN_PRIVATE_NETWORK(...)                                                                                    \
    do {                                                                                                               \
        ::testnet::Result zrNetResult = ::testnet::RunInPrivateNetwork(__VA_ARGS__);                                   \
        if (zrNetResult.outcome == ::testnet::Outcome::Unavailable)                                                    \
            GTEST_SKIP() << "no private network namespace here (" << zrNetResult.why << ")";                           \
        if (zrNetResult.outcome != ::testnet::Outcome::Passed)                                                         \
            ADD_FAILURE() << "inside the private network: " << zrNetResult.why;                                        \
    } while (0)
