// tests/app/dialog_test_support.h: opening the real main dialog over a fixture, and answering
// the windows it brings up.
#ifndef KORVALIN_TESTS_APP_DIALOG_TEST_SUPPORT_H
#define KORVALIN_TESTS_APP_DIALOG_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

// A window that became active while an ActivationSpy was installed.
struct ActivatedWindow {
    std::string caption;
    std::string text;  // the text of its control `textItem` (a message box's text by default)
    HWND owner;
};

// Records every top-level window activated on this thread and posts it WM_COMMAND `command`,
// the way a user answers a message box or a dialog. `ignore` is never answered (the dialog
// under test, which is activated again when a box above it closes).
class ActivationSpy {
  public:
    explicit ActivationSpy(UINT command, HWND ignore = nullptr, int textItem = 0xFFFF);
    ~ActivationSpy();
    const std::vector<ActivatedWindow>& seen() const { return seen_; }

  private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    UINT command_;
    HWND ignore_;
    int textItem_;
    std::vector<HWND> answered_;
    std::vector<ActivatedWindow> seen_;
};

// Zeroes the process-wide tables and loads the picture strip, as the entry does, and removes
// the test registry keys afterwards.
class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the REGEDIT4 text and opens IDD_MAIN modelessly over it.
    HWND OpenOver(const char* fixture);
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HWND List() const { return Item(1000); }
    LRESULT RowCount() const;
    void* RowData(LRESULT row) const;
    // Selects `row` as a click does: LB_SETCURSEL, then the list's LBN_SELCHANGE.
    void SelectRow(LRESULT row);
    void Command(int id, int notification = 0);
    std::string NameText() const;

    HWND dialog_ = nullptr;
};

// True when a WM_QUIT was waiting in this thread's queue (and takes it out).
bool TakeQuitMessage();

#endif
