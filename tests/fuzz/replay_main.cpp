// Replays fuzz inputs (files or folders of files) through a fuzz target without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// A target's one-time set-up, when it has one (libFuzzer calls it the same way).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

static int RunOne(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", p.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int failures = 0, count = 0;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue; // a libFuzzer flag
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(arg))
                if (e.is_regular_file()) {
                    failures += RunOne(e.path());
                    ++count;
                }
        } else {
            failures += RunOne(arg);
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return failures ? 1 : 0;
}
