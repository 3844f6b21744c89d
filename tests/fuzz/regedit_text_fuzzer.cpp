// tests/fuzz/regedit_text_fuzzer.cpp: any bytes as a REGEDIT4 file.
//
// The loader either names a line and changes nothing, or gives a tree that saves and loads
// back the same.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/host/memory_registry.h"
#include "platform/host/regedit_text.h"

namespace {

bool SameKeys(const std::vector<RegTextKey>& a, const std::vector<RegTextKey>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].path != b[i].path || a[i].values.size() != b[i].values.size())
            return false;
        for (size_t v = 0; v < a[i].values.size(); ++v) {
            const RegTextValue& x = a[i].values[v];
            const RegTextValue& y = b[i].values[v];
            if (x.name != y.name || x.type != y.type || x.data != y.data)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    std::vector<RegTextKey> keys;
    std::string error;
    if (!ParseRegeditText(text, size, &keys, &error)) {
        if (error.compare(0, 5, "line ") != 0)
            abort();  // every error names its line
        MemoryRegistryReset();
        std::string before = MemoryRegistrySave();
        if (MemoryRegistryLoad(text, size, &error) || MemoryRegistrySave() != before)
            abort();
        return 0;
    }
    std::string formatted = FormatRegeditText(keys);
    std::vector<RegTextKey> again;
    if (!ParseRegeditText(formatted.data(), formatted.size(), &again, &error))
        abort();
    if (!SameKeys(keys, again))
        abort();

    MemoryRegistryReset();
    if (!MemoryRegistryLoad(text, size, &error))
        abort();
    std::string saved = MemoryRegistrySave();
    MemoryRegistryReset();
    if (!MemoryRegistryLoad(saved.data(), saved.size(), &error))
        abort();
    if (MemoryRegistrySave() != saved)
        abort();
    return 0;
}
