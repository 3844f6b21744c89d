// tests/portlist/list_test_window.h: an owner-drawn port list in a window of the test's own,
// wired to the list view the way the main dialog wires it.
#ifndef KORVALIN_TESTS_PORTLIST_LIST_TEST_WINDOW_H
#define KORVALIN_TESTS_PORTLIST_LIST_TEST_WINDOW_H

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "portlist/portlist.h"

// Starts every case from a zero inventory and a freshly loaded strip, as the program starts.
class PortListTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the parent window and IDC_PORT_LIST with the template's styles; the client
    // area of the list is width x height.
    void CreateList(int width = 200, int height = 160);
    std::vector<LRESULT> Rows() const;  // item data, top to bottom

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
};

#endif
