// tests/portlist/row_drawing_test.cpp: rows painted into a memory context and checked pixel by
// pixel: tree lines, the picture cell, highlight and focus rectangle.
#include "tests/portlist/list_test_window.h"

#include "tests/portlist/board_builder.h"

namespace {

const COLORREF kUntouched = RGB(1, 2, 3);
enum { kRowWidth = 200, kRowHeight = 16 };

class RowDrawingTest : public PortListTest {
  protected:
    void SetUp() override {
        PortListTest::SetUp();
        g_portListState.textHeight = 13;  // 8 point MS Sans Serif; rows stay 16 high
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, kRowWidth, kRowHeight);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(dc_, bitmap_);
        board_ = AddTestBoard(kBoardTessaline16, "14D2BEEE");
        port_ = AddDirectPort(board_, 2, "COM7");
    }
    void TearDown() override {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        PortListTest::TearDown();
    }
    void Draw(const void* record, UINT itemState = 0, UINT itemAction = ODA_DRAWENTIRE,
              UINT itemID = 0) {
        RECT all = {0, 0, kRowWidth, kRowHeight};
        HBRUSH untouched = CreateSolidBrush(kUntouched);
        FillRect(dc_, &all, untouched);
        DeleteObject(untouched);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_LISTBOX;
        item.itemID = itemID;
        item.itemAction = itemAction;
        item.itemState = itemState;
        item.hDC = dc_;
        item.rcItem = all;
        item.itemData = reinterpret_cast<ULONG_PTR>(record);
        DrawPortListItem(&item);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    // Counts the pixels of cell (1, column) that differ from the row at x, y 0.
    int PictureMismatches(int x, int column) const {
        int wrong = 0;
        for (int dy = 0; dy < 16; ++dy) {
            for (int dx = 0; dx < 16; ++dx) {
                COLORREF cell = GetPixel(g_portListState.memoryDC, column * 16 + dx, 16 + dy);
                wrong += Pixel(x + dx, dy) != cell;
            }
        }
        return wrong;
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    BoardRecord* board_ = nullptr;
    PortRecord* port_ = nullptr;
};

TEST_F(RowDrawingTest, PortRowConnectorAndContinuingLine) {
    const COLORREF line = GetSysColor(COLOR_WINDOWTEXT);
    struct Case {
        const char* name;
        int drawLines;
        int hasNextSibling;
    } cases[] = {
        {"port with a next sibling", 1, 1},
        {"last port: the corner only", 1, 0},
        {"lines off", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_portListState.drawLines = c.drawLines;
        // A port in a later slot of the board is what continues the line below this row.
        if (c.hasNextSibling) {
            AddDirectPort(board_, 3, "COM8");
        } else {
            board_->ports[3] = PortRecord{};
        }
        Draw(port_);
        COLORREF lineOrNot = c.drawLines ? line : kUntouched;
        for (int y = 0; y <= 8; ++y) {  // from the top down to the middle line
            EXPECT_EQ(lineOrNot, Pixel(10, y)) << "y " << y;
        }
        for (int y = 9; y < kRowHeight; ++y) {
            EXPECT_EQ(c.hasNextSibling ? lineOrNot : kUntouched, Pixel(10, y)) << "y " << y;
        }
        for (int x = 11; x < 18; ++x) {  // the horizontal part, 8 pixels from x = 10
            EXPECT_EQ(lineOrNot, Pixel(x, 8)) << "x " << x;
            EXPECT_EQ(kUntouched, Pixel(x, 7)) << "x " << x;
        }
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(kUntouched, Pixel(x, 8)) << "x " << x;
        }
        EXPECT_EQ(0, PictureMismatches(18, 2));
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), Pixel(34, 0));
    }
}

TEST_F(RowDrawingTest, BoardPictureFollowsTheExpandedSet) {
    Draw(board_);
    EXPECT_EQ(0, PictureMismatches(2, 0)) << "collapsed";
    ExpandedSetAdd(&g_portListState, board_);
    Draw(board_);
    EXPECT_EQ(0, PictureMismatches(2, 1)) << "expanded";
    EXPECT_EQ(kUntouched, Pixel(1, 8));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), Pixel(18, 0));  // text area from the picture's edge
}

TEST_F(RowDrawingTest, HighlightCoversTheTextAreaOnly) {
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    ASSERT_NE(highlight, GetSysColor(COLOR_WINDOW));
    Draw(port_, ODS_SELECTED);
    EXPECT_EQ(highlight, Pixel(34, 0));
    EXPECT_EQ(highlight, Pixel(kRowWidth - 1, kRowHeight - 1));
    EXPECT_EQ(0, PictureMismatches(18, 2));
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(kUntouched, Pixel(x, 0)) << "x " << x;
    }
}

TEST_F(RowDrawingTest, FocusRectangleExceptOnSelectionChanges) {
    struct Case {
        const char* name;
        UINT state;
        UINT action;
        bool focusShown;
    } cases[] = {
        {"whole row with focus", ODS_FOCUS, ODA_DRAWENTIRE, true},
        {"focus request", ODS_FOCUS | ODS_SELECTED, ODA_FOCUS, true},
        {"selection change with focus", ODS_FOCUS | ODS_SELECTED, ODA_SELECT, false},
        {"no focus", ODS_SELECTED, ODA_DRAWENTIRE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Draw(port_, c.state, c.action);
        COLORREF background =
            GetSysColor((c.state & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        int dotted = 0;
        for (int x = 34; x < kRowWidth; ++x) {
            dotted += Pixel(x, 0) != background;
        }
        EXPECT_EQ(c.focusShown, dotted > 0) << dotted << " pixels of the top edge";
    }
}

TEST_F(RowDrawingTest, NoRowOrNoRecordPaintsNothing) {
    struct Case {
        const char* name;
        const void* record;
        UINT itemID;
    } cases[] = {{"empty list gaining focus", port_, static_cast<UINT>(-1)},
                 {"null item data", nullptr, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Draw(c.record, ODS_FOCUS, ODA_FOCUS, c.itemID);
        int painted = 0;
        for (int y = 0; y < kRowHeight; ++y) {
            for (int x = 0; x < kRowWidth; ++x) {
                painted += Pixel(x, y) != kUntouched;
            }
        }
        EXPECT_EQ(0, painted);
    }
}

}  // namespace
