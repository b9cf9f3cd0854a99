// The main window's keys: which presses move between pages and panes, what a
// hot-key control must leave to the window, and when the guard gives the
// control back the key that a modifier on its way elsewhere cleared.
#include "app/keyboard.h"

#include <gtest/gtest.h>

namespace {

constexpr int kKeyI = 0x49;

KeyPress press(int key, bool control = false, bool shift = false, bool alt = false) {
    return {key, control, shift, alt};
}

TEST(WindowKeys, PagesAndPanesAndNothingElse) {
    const struct {
        KeyPress press;
        WindowKey expected;
    } cases[] = {
        {press(kKeyTab, true), WindowKey::nextPage},
        {press(kKeyTab, true, true), WindowKey::previousPage},
        {press(kKeyPageDown, true), WindowKey::nextPage},
        {press(kKeyPageUp, true), WindowKey::previousPage},
        {press(kKeyF6), WindowKey::nextPane},
        {press(kKeyF6, false, true), WindowKey::previousPane},
        // Plain Tab belongs to the pane that has the focus.
        {press(kKeyTab), WindowKey::none},
        {press(kKeyTab, false, true), WindowKey::none},
        {press(kKeyPageDown), WindowKey::none},
        // Combinations a user may assign as hot keys stay with the control.
        {press(kKeyPageDown, true, true), WindowKey::none},
        {press(kKeyTab, true, false, true), WindowKey::none},
        {press(kKeyF6, true), WindowKey::none},
        {press(kKeyF6, false, false, true), WindowKey::none},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windowKey(c.press), c.expected)
            << "key " << c.press.key << " ctrl " << c.press.control << " shift " << c.press.shift
            << " alt " << c.press.alt;
    }
}

TEST(RecordKeys, F4AndShiftF4SetTheVerdictAndAltF4StaysTheClose) {
    const struct {
        KeyPress press;
        RecordKey expected;
    } cases[] = {
        {press(kKeyF4), RecordKey::verdictOk},
        {press(kKeyF4, false, true), RecordKey::verdictNg},
        {press(kKeyF4, false, false, true), RecordKey::none},
        {press(kKeyF4, false, true, true), RecordKey::none},
        {press(kKeyF4, true), RecordKey::none},
        {press(kKeyF4, true, true), RecordKey::none},
        {press(kKeyF6), RecordKey::none},
        {press(kKeyF8), RecordKey::acceptProposal},
        {press(kKeyF7), RecordKey::toggleGuide},
        {press(kKeyF8, false, true), RecordKey::none},
        {press(kKeyF7, true), RecordKey::none},
        {press(kKeyF8, false, false, true), RecordKey::none},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(recordKey(c.press), c.expected)
            << "key " << c.press.key << " ctrl " << c.press.control << " shift " << c.press.shift
            << " alt " << c.press.alt;
    }
}

TEST(WindowKeys, F6WalksTheThreePanesBothWays) {
    Pane pane = Pane::none;
    const Pane forward[] = {Pane::list, Pane::view, Pane::keyPanel, Pane::list};
    for (Pane expected : forward) {
        pane = nextPane(pane, true);
        EXPECT_EQ(pane, expected);
    }
    const Pane backward[] = {Pane::keyPanel, Pane::view, Pane::list, Pane::keyPanel};
    for (Pane expected : backward) {
        pane = nextPane(pane, false);
        EXPECT_EQ(pane, expected);
    }
    EXPECT_EQ(nextPane(Pane::none, false), Pane::keyPanel);
    EXPECT_EQ(pageOfPane(Pane::keyPanel), 1);
    EXPECT_EQ(pageOfPane(Pane::view), 0);
}

TEST(WindowKeys, PagesWrapRound) {
    EXPECT_EQ(nextPage(0, 2, true), 1);
    EXPECT_EQ(nextPage(1, 2, true), 0);
    EXPECT_EQ(nextPage(0, 2, false), 1);
    EXPECT_EQ(nextPage(2, 3, true), 0);
    EXPECT_EQ(nextPage(0, 3, false), 2);
    // No page selected (the control reports -1).
    EXPECT_EQ(nextPage(-1, 2, true), 0);
    EXPECT_EQ(nextPage(-1, 2, false), 1);
}

TEST(HotKeyControlKeys, WhatTheControlTakes) {
    const struct {
        KeyPress press;
        HotKeyControlKey expected;
    } cases[] = {
        {press(kKeyTab), HotKeyControlKey::dialog},
        {press(kKeyTab, false, true), HotKeyControlKey::dialog},
        {press(kKeyReturn), HotKeyControlKey::dialog},
        {press(kKeyEscape), HotKeyControlKey::dialog},
        {press(kKeyF10), HotKeyControlKey::menu},
        {press(kKeyF4, false, false, true), HotKeyControlKey::close},
        {press(kKeyShift, false, true), HotKeyControlKey::modifier},
        {press(kKeyControl, true), HotKeyControlKey::modifier},
        {press(kKeyAlt, false, false, true), HotKeyControlKey::modifier},
        {press(kKeyI, false, true), HotKeyControlKey::take},
        {press(kKeyF8, true, true), HotKeyControlKey::take},
        // With a modifier these are combinations like any other.
        {press(kKeyF10, true), HotKeyControlKey::take},
        {press(kKeyF10, false, true), HotKeyControlKey::take},
        {press(kKeyF4), HotKeyControlKey::take},
        {press(kKeyF4, true, false, true), HotKeyControlKey::take},
        {press(kKeyReturn, true), HotKeyControlKey::take},
        {press(kKeyTab, false, false, true), HotKeyControlKey::take},
        // The search's keys stay the control's.
        {press(kKeyF3), HotKeyControlKey::keep},
        {press(kKeyF3, false, true), HotKeyControlKey::keep},
        {press(kKeyF, true), HotKeyControlKey::keep},
        {press(kKeyF3, true), HotKeyControlKey::take},
        {press(kKeyF, true, true), HotKeyControlKey::take},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hotKeyControlKey(c.press), c.expected)
            << "key " << c.press.key << " ctrl " << c.press.control << " shift " << c.press.shift
            << " alt " << c.press.alt;
    }
}

using Release = HotKeyEditGuard::Release;
constexpr std::uint16_t kAssigned = 0x0149;  // Shift+I

TEST(HotKeyEditGuard, ShiftOfShiftTabGivesTheKeyBackWhenTheFocusLeaves) {
    HotKeyEditGuard guard;
    guard.modifierDown(kKeyShift, kAssigned);
    guard.modifierDown(kKeyShift, 0);  // auto-repeat, the control already cleared
    ASSERT_TRUE(guard.focusLeft());
    EXPECT_EQ(guard.savedValue(), kAssigned);
    EXPECT_FALSE(guard.focusLeft());
    EXPECT_EQ(guard.modifierUp(kKeyShift, false), Release::keep);
}

TEST(HotKeyEditGuard, ModifiersLetGoWithoutAKeyRestore) {
    HotKeyEditGuard guard;
    guard.modifierDown(kKeyControl, kAssigned);
    guard.modifierDown(kKeyShift, 0);
    EXPECT_EQ(guard.modifierUp(kKeyShift, true), Release::keep);
    EXPECT_EQ(guard.modifierUp(kKeyControl, false), Release::restore);
    EXPECT_EQ(guard.savedValue(), kAssigned);
    EXPECT_FALSE(guard.armed());
}

TEST(HotKeyEditGuard, AKeyTheControlTookIsTheUsersNewKey) {
    HotKeyEditGuard guard;
    guard.modifierDown(kKeyControl, kAssigned);
    guard.modifierDown(kKeyShift, 0);
    guard.otherKeyDown(true);
    EXPECT_EQ(guard.modifierUp(kKeyShift, true), Release::keep);
    EXPECT_EQ(guard.modifierUp(kKeyControl, false), Release::keep);
    EXPECT_FALSE(guard.focusLeft());
}

TEST(HotKeyEditGuard, AKeyAnAcceleratorTookStillRestores) {
    HotKeyEditGuard guard;
    guard.modifierDown(kKeyControl, kAssigned);
    guard.otherKeyDown(false);  // Ctrl+S saved the history
    EXPECT_EQ(guard.modifierUp(kKeyControl, false), Release::restore);
}

TEST(HotKeyEditGuard, OnlyATappedAltOpensTheMenu) {
    HotKeyEditGuard guard;
    guard.modifierDown(kKeyAlt, kAssigned);
    guard.modifierDown(kKeyAlt, 0);
    EXPECT_EQ(guard.modifierUp(kKeyAlt, false), Release::restoreAndOpenMenu);

    guard.modifierDown(kKeyAlt, kAssigned);
    guard.otherKeyDown(false);
    EXPECT_EQ(guard.modifierUp(kKeyAlt, false), Release::restore);

    guard.modifierDown(kKeyShift, kAssigned);
    guard.modifierDown(kKeyAlt, 0);
    EXPECT_EQ(guard.modifierUp(kKeyShift, true), Release::keep);
    EXPECT_EQ(guard.modifierUp(kKeyAlt, false), Release::restore);

    guard.modifierDown(kKeyAlt, kAssigned);
    guard.modifierDown(kKeyShift, 0);
    EXPECT_EQ(guard.modifierUp(kKeyShift, true), Release::keep);
    EXPECT_EQ(guard.modifierUp(kKeyAlt, false), Release::restore);
}

}  // namespace
