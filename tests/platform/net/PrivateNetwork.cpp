// Private network namespaces for tests: fork, unshare, loopback up with a multicast route, run, report.
#include "platform/net/PrivateNetwork.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <string>
#include <vector>

namespace testnet {
namespace {

constexpr int kExitUnavailable = 77;
constexpr unsigned kChildSeconds = 60;

bool WriteText(const char* path, const std::string& text)
{
    int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// Runs a program (searched on PATH and in the sbin folders) and waits for it; true when it exits 0.
bool RunTool(const std::vector<const char*>& args)
{
    pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::setenv("PATH", "/usr/sbin:/sbin:/usr/bin:/bin", 1);
        std::vector<char*> argv;
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Enters a new network namespace; the error text when it cannot.
std::string EnterNamespace()
{
    if (::unshare(CLONE_NEWNET) == 0)
        return {};
    int first = errno;
    uid_t uid = ::getuid();
    gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        return std::string("unshare: ") + std::strerror(first) + ", with a user namespace: " + std::strerror(errno);
    WriteText("/proc/self/setgroups", "deny");
    if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1\n"))
        return "cannot map the user into the new user namespace";
    return {};
}

// Tells the parent why, then ends the child without running the parent's exit handlers.
[[noreturn]] void Report(int reportFd, const std::string& text, int code)
{
    ssize_t ignored = ::write(reportFd, text.data(), text.size());
    (void)ignored;
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(code);
}

[[noreturn]] void ChildMain(int reportFd, const std::function<void()>& body)
{
    auto report = [reportFd](const std::string& text, int code) { Report(reportFd, text, code); };
    ::alarm(kChildSeconds);
    std::string why = EnterNamespace();
    if (!why.empty())
        report(why, kExitUnavailable);
    if (!RunTool({"ip", "link", "set", "lo", "up"}))
        report("'ip link set lo up' failed (is iproute2 installed?)", kExitUnavailable);
    if (!RunTool({"ip", "route", "add", "224.0.0.0/4", "dev", "lo"}))
        report("'ip route add 224.0.0.0/4 dev lo' failed", kExitUnavailable);
    try {
        body();
    } catch (const std::exception& e) {
        report(std::string("exception: ") + e.what(), 1);
    } catch (...) {
        report("unknown exception", 1);
    }
    if (::testing::Test::HasFailure())
        report("an assertion failed inside the private network (see above)", 1);
    Report(reportFd, {}, 0);
}

} // namespace

Result RunInPrivateNetwork(const std::function<void()>& body)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {Outcome::Unavailable, std::string("pipe: ") + std::strerror(errno)};
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return {Outcome::Unavailable, std::string("fork: ") + std::strerror(errno)};
    }
    if (pid == 0) {
        ::close(fds[0]);
        ChildMain(fds[1], body);
    }
    ::close(fds[1]);
    std::string why;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            why.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitUnavailable)
        return {Outcome::Unavailable, why};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {Outcome::Passed, {}};
    if (WIFSIGNALED(status))
        why += " (child ended by signal " + std::to_string(WTERMSIG(status)) + ")";
    return {Outcome::Failed, why};
}

} // namespace testnet
