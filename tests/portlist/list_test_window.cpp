// tests/portlist/list_test_window.cpp: the test window behind PortListTest.
#include "tests/portlist/list_test_window.h"

#include "app/resource.h"
#include "tests/support/test_inventory.h"

namespace {

const char kParentClass[] = "KorvalinPortListTest";

LRESULT CALLBACK TestParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM:
            MeasurePortListItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), &g_portListState);
            return TRUE;
        case WM_DRAWITEM:
            DrawPortListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            return HandlePortListKey(message, wParam, lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void PortListTest::SetUp() {
    ResetInventory();
    ResetPortListState();
    ASSERT_EQ(1, LoadImageStrip(GetModuleHandleA(nullptr), IDB_TREE_IMAGES, 4, 3, 1,
                                &g_portListState, 1));
}

void PortListTest::TearDown() {
    if (parent_ != nullptr) {
        DestroyWindow(parent_);
    }
    ResetPortListState();
    ResetInventory();
}

void PortListTest::CreateList(int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestParentProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kParentClass;
    RegisterClassA(&windowClass);  // fails harmlessly once registered
    // Hidden: a shown top-level window costs seconds under a virtual display without a window
    // manager, and the list works the same.
    parent_ = CreateWindowA(kParentClass, "list", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, parent_);
    // No border, so the window is its client area plus the scroll bar.
    list_ =
        CreateWindowA("LISTBOX", nullptr,
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                          LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
                      0, 0, width + GetSystemMetrics(SM_CXVSCROLL), height, parent_,
                      reinterpret_cast<HMENU>(IDC_PORT_LIST), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, list_);
}

std::vector<LRESULT> PortListTest::Rows() const {
    std::vector<LRESULT> rows;
    LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        rows.push_back(SendMessageA(list_, LB_GETITEMDATA, i, 0));
    }
    return rows;
}
