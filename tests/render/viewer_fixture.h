// Shared set-up of the viewer's own tests: SDL's offscreen driver, the motion state back at its
// start, message boxes captured, and the viewer's device, meshes and window gone after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The viewer's window, made as the entry makes it; destroyed after the test.
    HWND MainWindow();
    // Messages waiting now, removed from the queue in the order the loop would take them.
    static std::vector<MSG> TakeMessages();

    HWND window_ = nullptr;
};

// tests/data/viewer: a ground square as "crs.x" and a box car as "F1.x", with their textures.
std::string ViewerDataDir();
