// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target of the FAT reader and engine: the input is a volume image. The engine scans
// it, every kept file is read back (contiguous and by chain), and a few paths are looked
// up; nothing may read outside the image, crash or hang.
#include "engines/fat/fat_recovery.h"
#include "tests/engines/fat/memory_disk.h"

#include <cstdio>

namespace {

struct fuzz_engine_c : fat_recovery_c {
    using fat_recovery_c::run;  // the scan on the calling thread
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool quiet = [] {
        // The engine traces every entry on standard output.
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)quiet;
    std::vector<uint8_t> image(data, data + size);
    use_memory_disk(std::move(image));
    fuzz_engine_c engine;
    engine.run();

    fat_volume* volume = nullptr;
    const char16_t* root = u"";
    if (mount_volume(&root, &volume) == FAT_OK) {
        static uint8_t buffer[65536];
        for (const fat_node& node : engine.result_store()) {
            for (bool contiguous : {true, false}) {
                fat_file file;
                file.volume = volume;
                file.mount_id = volume->mount_id;
                file.flags = FAT_FILE_READ;
                file.size = node.size;
                file.start_cluster = node.cluster;
                uint32_t done = 0;
                for (int i = 0; i < 64; ++i) {
                    if (f_readfile(&file, buffer, sizeof buffer, &done, contiguous) != FAT_OK || done == 0)
                        break;
                }
            }
            QString path;
            engine.path_of(node.cluster, &path);
        }
        for (const char16_t* path : {u"/A", u"/DIR1/X.TXT", u"/My Documents", u"/\u6587"}) {
            fat_dir dir;
            f_opendir(&dir, path);
        }
    }
    fat_set_disk(nullptr);
    return 0;
}
