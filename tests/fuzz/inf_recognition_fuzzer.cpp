// tests/fuzz/inf_recognition_fuzzer.cpp: any bytes as an INF file; the verdict must be right.
//
// The verdict is worked out here a second way, over whole tokens of any length: a file is the
// maker's when the token right after its first "[Manufacturer]" is one of the provider tokens.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "commit/ok_steps.h"
#include "platform/streams.h"

namespace {

bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int ExpectedVerdict(const uint8_t* data, size_t size) {
    std::vector<std::string> tokens;
    std::string token;
    for (size_t i = 0; i <= size; ++i) {
        // Ctrl+Z ends a text-mode read on Windows; the utility treats it so everywhere.
        bool end = i == size || data[i] == 0x1A;
        if (end || IsSpace(data[i])) {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
            if (end)
                break;
        } else {
            token += static_cast<char>(data[i]);
        }
    }
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i] != "[Manufacturer]")
            continue;
        if (i + 1 == tokens.size())
            return 0;
        const std::string& next = tokens[i + 1];
        return next == "%Prov%=Marrowlink" || next == "%Prov%=MarrowlinkM1M2" ||
               next == "%Prov%=VarnakTessalineBoard";
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TextReader reader;
    OpenTextReaderOnMemory(&reader, reinterpret_cast<const char*>(data), size);
    int verdict = IsVendorInfStream(&reader);
    if (verdict != ExpectedVerdict(data, size))
        abort();
    return 0;
}
