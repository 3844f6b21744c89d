// portlist/image_strip.cpp: the row pictures and the row height.
#include "portlist/portlist.h"

#include <string.h>

namespace {

enum {
    kPaletteEntries = 16,
    kHeaderAndPaletteSize = sizeof(BITMAPINFOHEADER) + kPaletteEntries * sizeof(RGBQUAD),
};

int32_t Larger(int32_t a, int32_t b) {
    return a > b ? a : b;
}

}  // namespace

int LoadImageStrip(HINSTANCE instance, int resourceId, int rows, int columns, int drawLinesValue,
                   PortListState* state, int reset) {
    if (reset != 0) {
        state->expandedCount = 0;
        state->expandedItems = nullptr;
        state->drawLines = drawLinesValue;
    }
    if (state->memoryDC == nullptr) {
        HDC screen = GetDC(nullptr);
        state->memoryDC = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        if (state->memoryDC == nullptr) {
            return 0;
        }
        state->previousBitmap = nullptr;
    }
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2));
    if (found == nullptr) {
        return 0;
    }
    HGLOBAL loaded = LoadResource(instance, found);
    if (loaded == nullptr) {
        return 0;
    }
    const BYTE* stored = static_cast<const BYTE*>(LockResource(loaded));
    if (stored == nullptr) {
        return 0;
    }
    // The strip is a 4-bit DIB of biClrUsed colours (all 16 when 0); anything shorter than its
    // header, palette and first pixel byte cannot be one, and reading on would leave the
    // resource.
    DWORD size = SizeofResource(instance, found);
    DWORD colours = size > sizeof(BITMAPINFOHEADER)
                        ? reinterpret_cast<const BITMAPINFOHEADER*>(stored)->biClrUsed - 1
                        : 0;
    size_t headerAndPalette =
        sizeof(BITMAPINFOHEADER) +
        (colours < kPaletteEntries ? colours + 1 : kPaletteEntries) * sizeof(RGBQUAD);
    if (size <= headerAndPalette || rows <= 0 || columns <= 0) {
        FreeResource(loaded);
        return 0;
    }

    // The first pixel (bottom left) is background: its palette entry becomes the window
    // colour, so the pictures sit on the list's own background. The resource itself is
    // read-only, so the change goes into a copy of header and palette.
    union {
        BITMAPINFO info;
        BYTE bytes[kHeaderAndPaletteSize];
    } copy;
    memcpy(copy.bytes, stored, headerAndPalette);
    const BYTE* pixels = stored + headerAndPalette;
    int keyIndex = pixels[0] >> 4;
    COLORREF window = GetSysColor(COLOR_WINDOW);
    RGBQUAD* palette = copy.info.bmiColors;
    palette[keyIndex].rgbBlue = GetBValue(window);
    palette[keyIndex].rgbGreen = GetGValue(window);
    palette[keyIndex].rgbRed = GetRValue(window);
    palette[keyIndex].rgbReserved = 0;

    HDC screen = GetDC(nullptr);
    state->stripBitmap =
        CreateDIBitmap(screen, &copy.info.bmiHeader, CBM_INIT, pixels, &copy.info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);

    state->cellHeight = copy.info.bmiHeader.biHeight / rows;
    state->cellWidth = copy.info.bmiHeader.biWidth / columns;
    state->itemHeight = Larger(state->textHeight, state->cellHeight);
    FreeResource(loaded);
    if (state->stripBitmap == nullptr) {
        return 0;
    }
    state->previousBitmap = SelectObject(state->memoryDC, state->stripBitmap);
    return state->previousBitmap != nullptr ? 1 : 0;
}

void MeasurePortListItem(MEASUREITEMSTRUCT* measureItem, PortListState* state) {
    // Asked before WM_INITDIALOG: only the strip and the font measured so far count.
    measureItem->itemHeight = static_cast<UINT>(Larger(state->textHeight, state->cellHeight));
}

void UpdateFontMetrics(HWND list, HFONT font, PortListState* state) {
    // A null list (the dialog's controls do not exist yet) measures on the screen.
    HDC dc = GetDC(list);
    HGDIOBJ previous = nullptr;
    if (font != nullptr) {  // null means the system font, which the context already holds
        previous = SelectObject(dc, font);
    }
    TEXTMETRICA metrics;
    memset(&metrics, 0, sizeof metrics);
    GetTextMetricsA(dc, &metrics);
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    ReleaseDC(list, dc);

    state->textHeight = metrics.tmHeight;
    state->itemHeight = Larger(state->cellHeight, state->textHeight);
    if (list != nullptr) {
        SendMessageA(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(state->itemHeight & 0xFFFF, 0));
    }
}
