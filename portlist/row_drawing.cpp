// portlist/row_drawing.cpp: painting a board or port row: tree lines, picture, text, focus.
#include "portlist/portlist.h"

namespace {

// A 1-pixel tree line: an opaque fill needs no pen or brush of our own.
void FillLine(HDC dc, int left, int top, int right, int bottom) {
    RECT line = {left, top, right, bottom};
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
}

}  // namespace

void DrawPortListItem(const DRAWITEMSTRUCT* drawItem) {
    // An empty list being given the focus has no row, and its item data is no record.
    if (drawItem->itemID == static_cast<UINT>(-1) || drawItem->itemData == 0) {
        return;
    }
    char text[kRowTextSize];
    const PortListState* state = &g_portListState;
    const void* record = reinterpret_cast<const void*>(drawItem->itemData);
    if (IsPortRow(record)) {
        const PortRecord* port = static_cast<const PortRecord*>(record);
        FormatPortRowText(port, text);
        DrawTreeRow(drawItem, 1, PortHasNextSibling(port), text, 1, 2, state);
    } else {
        const BoardRecord* board = static_cast<const BoardRecord*>(record);
        FormatBoardRowText(board, text);
        int column = ExpandedSetContains(state, board) ? 1 : 0;
        DrawTreeRow(drawItem, 0, 0, text, 1, column, state);
    }
}

int PortHasNextSibling(const PortRecord* port) {
    // Worked out from the board at each paint, not kept in the record: it is a fact of the
    // tree's drawing, and a board's present ports never change once the walks are done.
    for (int i = kMaxBoardPorts - 1; i >= 0; --i) {
        const PortRecord* slot = PortInOrder(*port->owningBoard, i);
        if (IsPortPresent(*slot))
            return slot != port ? 1 : 0;  // the board's last port ends the line
    }
    return 0;
}

void DrawTreeRow(const DRAWITEMSTRUCT* drawItem, int level, int lineBits, const char* text,
                 int cellRow, int cellColumn, const PortListState* state) {
    if (drawItem->itemID == static_cast<UINT>(-1)) {
        return;
    }
    HDC dc = drawItem->hDC;
    RECT area = drawItem->rcItem;  // becomes the text area: picture's right edge to row's end
    int rowLeft = area.left;
    int imageX = area.left + 2 + level * state->cellWidth;
    area.left = imageX + state->cellWidth;
    int half = (area.bottom - area.top) / 2;
    int textY = area.top + half - state->textHeight / 2;
    int imageY = area.top + half - state->cellHeight / 2;

    if (state->drawLines != 0 && level != 0) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        for (int i = 0; i < level; ++i) {
            if (lineBits & (1 << i)) {  // an ancestor column continues below this row
                int x = rowLeft + state->cellWidth / 2 + 2 + i * state->cellWidth;
                FillLine(dc, x, area.top, x + 1, area.bottom);
            }
        }
        int middle = area.bottom - state->itemHeight / 2;
        int connectorX = rowLeft + (level - 1) * state->cellWidth + state->cellWidth / 2 + 2;
        int connectorBottom = (lineBits & (1 << (level + 1))) ? area.bottom : middle;
        FillLine(dc, connectorX, area.top, connectorX + 1, connectorBottom);
        FillLine(dc, connectorX, middle, connectorX + state->cellWidth / 2, middle + 1);
    }

    if (state->memoryDC != nullptr) {
        BitBlt(dc, imageX, imageY, state->cellWidth, state->cellHeight, state->memoryDC,
               cellColumn * state->cellWidth, cellRow * state->cellHeight, SRCCOPY);
    }

    if (drawItem->itemState & ODS_SELECTED) {
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    // The opaque fill covers the text area only: indentation, lines and picture are never
    // highlighted.
    ExtTextOutA(dc, area.left + 1, textY, ETO_CLIPPED | ETO_OPAQUE, &area, text, lstrlenA(text),
                nullptr);

    // A selection change is followed by the list's own focus request, which puts the
    // rectangle where the caret ends up.
    if ((drawItem->itemState & ODS_FOCUS) && drawItem->itemAction != ODA_SELECT) {
        DrawFocusRect(dc, &area);
    }
}
