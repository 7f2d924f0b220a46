// Path joining and case-blind file lookup over std::filesystem.
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

std::string NormalizeSeparators(const std::string& path)
{
    std::string out = path;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    std::string a = NormalizeSeparators(folder);
    std::string b = NormalizeSeparators(name);
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    while (a.size() > 1 && a.back() == '/')
        a.pop_back();
    size_t skip = 0;
    while (skip < b.size() && b[skip] == '/')
        ++skip;
    return a + "/" + b.substr(skip);
}

std::string ResolvePathCase(const std::string& path)
{
    std::string norm = NormalizeSeparators(path);
    std::error_code ec;
    if (norm.empty() || fs::exists(norm, ec))
        return norm;

    fs::path p(norm);
    fs::path built = p.has_root_path() ? p.root_path() : fs::path();
    for (const auto& part : p.relative_path()) {
        std::string piece = part.string();
        fs::path exact = built.empty() ? fs::path(piece) : built / piece;
        if (piece == "." || piece == ".." || fs::exists(exact, ec)) {
            built = exact;
            continue;
        }
        fs::path dir = built.empty() ? fs::path(".") : built;
        bool found = false;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string candidate = it->path().filename().string();
            if (EqualNoCase(candidate, piece)) {
                built = built.empty() ? fs::path(candidate) : built / candidate;
                found = true;
                break;
            }
        }
        if (!found)
            return norm;
    }
    return built.string();
}

std::string ResolveWritePath(const std::string& path)
{
    std::string resolved = ResolvePathCase(path);
    std::error_code ec;
    if (!fs::exists(resolved, ec)) {
        // A new file: keep its name as given, but find its folder in any case.
        fs::path p(resolved);
        if (p.has_parent_path())
            resolved = (fs::path(ResolvePathCase(p.parent_path().string())) / p.filename()).string();
    }
    return resolved;
}

FILE* OpenFile(const std::string& path, const char* mode)
{
    return std::fopen(ResolveWritePath(path).c_str(), mode);
}

std::string CurrentFolder()
{
    std::error_code ec;
    std::string cwd = fs::current_path(ec).string();
    while (cwd.size() > 1 && cwd.back() == '/')
        cwd.pop_back();
    return cwd;
}

} // namespace platform
