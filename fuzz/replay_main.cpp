// SPDX-License-Identifier: GPL-3.0-or-later
// Replays a fuzz target's corpus without libFuzzer: every file of the folders (or files)
// given on the command line is handed to LLVMFuzzerTestOneInput once.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replay %s (%zu bytes)\n", file.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    int files = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
                if (entry.is_regular_file()) {
                    failures += replay(entry.path());
                    ++files;
                }
            }
        } else {
            failures += replay(path);
            ++files;
        }
    }
    if (files == 0) {
        std::fprintf(stderr, "no corpus files\n");
        return 1;
    }
    return failures ? 1 : 0;
}
