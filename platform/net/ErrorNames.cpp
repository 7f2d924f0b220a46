// Table of errno names for the values socket calls give.
#include "platform/net/ErrorNames.h"

#include <cerrno>

namespace platform::net {
namespace {

struct ErrorEntry {
    int code;
    const char* name;
};

#define ZR_ERR(e)                                                                                                      \
    {                                                                                                                  \
        e, #e                                                                                                          \
    }
// EWOULDBLOCK and ENOTSUP share their values with EAGAIN and EOPNOTSUPP on Linux.
const ErrorEntry kErrors[] = {
    ZR_ERR(EPERM),           ZR_ERR(ENOENT),          ZR_ERR(EINTR),       ZR_ERR(EIO),          ZR_ERR(EBADF),
    ZR_ERR(EAGAIN),          ZR_ERR(ENOMEM),          ZR_ERR(EACCES),      ZR_ERR(EFAULT),       ZR_ERR(ENODEV),
    ZR_ERR(EINVAL),          ZR_ERR(ENFILE),          ZR_ERR(EMFILE),      ZR_ERR(EPIPE),        ZR_ERR(ENAMETOOLONG),
    ZR_ERR(ENOSYS),          ZR_ERR(ENOTEMPTY),       ZR_ERR(ELOOP),       ZR_ERR(EREMOTE),      ZR_ERR(EUSERS),
    ZR_ERR(ENOTSOCK),        ZR_ERR(EDESTADDRREQ),    ZR_ERR(EMSGSIZE),    ZR_ERR(EPROTOTYPE),   ZR_ERR(ENOPROTOOPT),
    ZR_ERR(EPROTONOSUPPORT), ZR_ERR(ESOCKTNOSUPPORT), ZR_ERR(EOPNOTSUPP),  ZR_ERR(EPFNOSUPPORT), ZR_ERR(EAFNOSUPPORT),
    ZR_ERR(EADDRINUSE),      ZR_ERR(EADDRNOTAVAIL),   ZR_ERR(ENETDOWN),    ZR_ERR(ENETUNREACH),  ZR_ERR(ENETRESET),
    ZR_ERR(ECONNABORTED),    ZR_ERR(ECONNRESET),      ZR_ERR(ENOBUFS),     ZR_ERR(EISCONN),      ZR_ERR(ENOTCONN),
    ZR_ERR(ESHUTDOWN),       ZR_ERR(ETOOMANYREFS),    ZR_ERR(ETIMEDOUT),   ZR_ERR(ECONNREFUSED), ZR_ERR(EHOSTDOWN),
    ZR_ERR(EHOSTUNREACH),    ZR_ERR(EALREADY),        ZR_ERR(EINPROGRESS), ZR_ERR(ESTALE),       ZR_ERR(EDQUOT),
};
#undef ZR_ERR

} // namespace

const char* ErrorName(int code)
{
    for (const auto& e : kErrors)
        if (e.code == code)
            return e.name;
    return nullptr;
}

} // namespace platform::net
