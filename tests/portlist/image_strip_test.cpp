// tests/portlist/image_strip_test.cpp: loading the strip into the memory context, the key
// colour, and the row height from strip and font.
#include "tests/portlist/list_test_window.h"

#include "app/resource.h"

namespace {

using ImageStripTest = PortListTest;

// Palette index of each strip pixel (x, y from the top left), from the resource bytes.
int StoredIndex(int x, int y) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_TREE_IMAGES), MAKEINTRESOURCEA(2));
    const BYTE* dib = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    BYTE pair = dib[88 + (63 - y) * 24 + x / 2];
    return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

COLORREF PaletteColour(int index) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_TREE_IMAGES), MAKEINTRESOURCEA(2));
    const BYTE* dib = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const BYTE* entry = dib + 40 + 4 * index;
    return RGB(entry[2], entry[1], entry[0]);
}

int TextHeightOf(HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

TEST_F(ImageStripTest, OnlyTheKeyIndexTakesTheWindowColour) {
    const COLORREF original = GetSysColor(COLOR_WINDOW);
    const COLORREF windowColours[] = {original, RGB(0, 0, 0), RGB(12, 34, 56)};
    for (COLORREF window : windowColours) {
        SCOPED_TRACE(::testing::Message() << std::hex << window);
        INT element = COLOR_WINDOW;
        SetSysColors(1, &element, &window);
        ResetPortListState();
        bool loaded = LoadImageStrip(GetModuleHandleA(nullptr), IDB_TREE_IMAGES, 4, 3, 1,
                                     &g_portListState, 1) == 1;
        SetSysColors(1, &element, &original);
        ASSERT_TRUE(loaded);
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 48; ++x) {
                int index = StoredIndex(x, y);
                COLORREF expected = index == 9 ? window : PaletteColour(index);
                COLORREF shown = GetPixel(g_portListState.memoryDC, x, y);
                if (shown != expected && wrong++ < 5) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " index " << index << " shows "
                                  << std::hex << shown << " instead of " << expected;
                }
            }
        }
        EXPECT_EQ(0, wrong);
    }
}

TEST_F(ImageStripTest, RowHeightIsTheLargerOfCellAndFont) {
    struct Case {
        const char* name;
        int fontHeight;  // CreateFont height; 0: no font measured yet
    } cases[] = {{"none measured", 0}, {"small font", -11}, {"large font", -30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HFONT font = nullptr;
        int expected = 16;
        if (c.fontHeight != 0) {
            font = CreateFontA(c.fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                               "MS Sans Serif");
            int textHeight = TextHeightOf(font);
            expected = textHeight > 16 ? textHeight : 16;
            // The dialog's font arrives before its controls exist.
            UpdateFontMetrics(nullptr, font, &g_portListState);
            EXPECT_EQ(textHeight, g_portListState.textHeight);
        }
        EXPECT_EQ(expected, g_portListState.itemHeight);
        CreateList();  // asks WM_MEASUREITEM
        EXPECT_EQ(expected, SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
        DestroyWindow(parent_);
        parent_ = nullptr;
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
    ASSERT_GT(g_portListState.textHeight, 16) << "the large font must outgrow the cells";
}

TEST_F(ImageStripTest, FontChangeReachesAnExistingList) {
    CreateList();
    HFONT large =
        CreateFontA(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    UpdateFontMetrics(list_, large, &g_portListState);
    EXPECT_EQ(TextHeightOf(large), SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
    UpdateFontMetrics(list_, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)),
                      &g_portListState);
    EXPECT_EQ(16, SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
    DeleteObject(large);
}

TEST_F(ImageStripTest, MissingResourceLeavesTheFontAloneToSetTheRowHeight) {
    ResetPortListState();
    EXPECT_EQ(0, LoadImageStrip(GetModuleHandleA(nullptr), 999, 4, 3, 1, &g_portListState, 1));
    EXPECT_EQ(0, g_portListState.cellHeight);
    EXPECT_EQ(1, g_portListState.drawLines);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    UpdateFontMetrics(nullptr, font, &g_portListState);
    EXPECT_EQ(TextHeightOf(font), g_portListState.itemHeight);
}

}  // namespace
