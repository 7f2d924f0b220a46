// Names of the errno values socket calls give, for messages.
#pragma once

namespace platform::net {

// "EADDRINUSE" for EADDRINUSE and so on; null for a value not in the table.
const char* ErrorName(int code);

} // namespace platform::net
