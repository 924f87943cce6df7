// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the language-file loader over arbitrary bytes.
#include "app/language.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // fmemopen does not write to a buffer opened for reading.
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!file)
        return 0;
    language_tables_s tables;
    load_language_stream(tables, file, QStringLiteral("English"), true);
    std::fclose(file);
    // The code must come from the table whatever the index points at.
    (void)language_code(tables);
    return 0;
}
