// tests/portlist/image_strip_format_test.cpp: the built image strip has the layout the loader
// relies on. Natively it reads the generated BMP file; under Wine the bitmap resource linked
// into this test, as the program sees it.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "app/resource.h"
#endif

namespace {

enum { kHeaderSize = 40, kPaletteSize = 48, kPixelSize = 1536, kFileHeaderSize = 14 };

uint32_t Read32(const std::vector<uint8_t>& dib, size_t at) {
    return dib[at] | dib[at + 1] << 8 | dib[at + 2] << 16 |
           static_cast<uint32_t>(dib[at + 3]) << 24;
}

uint16_t Read16(const std::vector<uint8_t>& dib, size_t at) {
    return static_cast<uint16_t>(dib[at] | dib[at + 1] << 8);
}

// The strip from its header on, as the resource compiler stores it.
std::vector<uint8_t> StripBytes() {
    std::vector<uint8_t> bytes;
#ifdef _WIN32
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_TREE_IMAGES), MAKEINTRESOURCEA(2));
    if (found == nullptr) {
        return bytes;
    }
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    bytes.assign(data, data + SizeofResource(module, found));
#else
    FILE* file = fopen(KORVALIN_TREE_IMAGES_BMP, "rb");
    if (file == nullptr) {
        return bytes;
    }
    uint8_t buffer[4096];
    size_t got = fread(buffer, 1, sizeof buffer, file);
    fclose(file);
    if (got > kFileHeaderSize && buffer[0] == 'B' && buffer[1] == 'M' &&
        buffer[10] == kFileHeaderSize + kHeaderSize + kPaletteSize) {
        bytes.assign(buffer + kFileHeaderSize, buffer + got);
    }
#endif
    return bytes;
}

TEST(ImageStripFormat, HeaderPaletteAndKeyIndex) {
    std::vector<uint8_t> dib = StripBytes();
    ASSERT_EQ(static_cast<size_t>(kHeaderSize + kPaletteSize + kPixelSize), dib.size());

    struct Field {
        const char* name;
        size_t offset;
        int size;
        uint32_t value;
    } fields[] = {
        {"biSize", 0, 4, 40},         {"biWidth", 4, 4, 48},         {"biHeight", 8, 4, 64},
        {"biPlanes", 12, 2, 1},       {"biBitCount", 14, 2, 4},      {"biCompression", 16, 4, 0},
        {"biSizeImage", 20, 4, 1536}, {"biXPelsPerMeter", 24, 4, 0}, {"biYPelsPerMeter", 28, 4, 0},
        {"biClrUsed", 32, 4, 12},     {"biClrImportant", 36, 4, 0},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.value, f.size == 2 ? Read16(dib, f.offset) : Read32(dib, f.offset));
    }

    // Red, green, blue of the 12 standard colours the pictures use, blue (the key) tenth;
    // stored blue first.
    const uint8_t standard[12][3] = {
        {0, 0, 0},   {0, 128, 0}, {128, 128, 0}, {0, 128, 128}, {128, 128, 128}, {192, 192, 192},
        {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const uint8_t* entry = &dib[kHeaderSize + 4 * i];
        EXPECT_EQ(standard[i][2], entry[0]);
        EXPECT_EQ(standard[i][1], entry[1]);
        EXPECT_EQ(standard[i][0], entry[2]);
        EXPECT_EQ(0, entry[3]);
    }

    // The loader's key: the first stored pixel (bottom left), high nibble.
    const uint8_t* pixels = &dib[kHeaderSize + kPaletteSize];
    EXPECT_EQ(9, pixels[0] >> 4);
    // Every cell's top-left and bottom-left pixel is background. Rows are stored bottom first.
    for (int cellRow = 0; cellRow < 4; ++cellRow) {
        for (int cellColumn = 0; cellColumn < 3; ++cellColumn) {
            SCOPED_TRACE(::testing::Message() << "cell " << cellRow << " " << cellColumn);
            for (int y : {cellRow * 16, cellRow * 16 + 15}) {
                int stored = 63 - y;
                int x = cellColumn * 16;
                EXPECT_EQ(9, pixels[stored * 24 + x / 2] >> 4) << "y " << y;
            }
        }
    }
}

}  // namespace
