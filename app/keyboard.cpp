#include "app/keyboard.h"

namespace {

bool isModifier(int key) {
    return key == kKeyShift || key == kKeyControl || key == kKeyAlt;
}

}  // namespace

WindowKey windowKey(const KeyPress& press) {
    if (press.alt)
        return WindowKey::none;
    if (press.control) {
        if (press.key == kKeyTab)
            return press.shift ? WindowKey::previousPage : WindowKey::nextPage;
        if (press.shift)
            return WindowKey::none;
        if (press.key == kKeyPageDown)
            return WindowKey::nextPage;
        if (press.key == kKeyPageUp)
            return WindowKey::previousPage;
        return WindowKey::none;
    }
    if (press.key == kKeyF6)
        return press.shift ? WindowKey::previousPane : WindowKey::nextPane;
    return WindowKey::none;
}

RecordKey recordKey(const KeyPress& press) {
    if (press.control || press.alt)
        return RecordKey::none;
    if ((press.key == kKeyF7 || press.key == kKeyF8) && !press.shift)
        return press.key == kKeyF7 ? RecordKey::toggleGuide : RecordKey::acceptProposal;
    if (press.key != kKeyF4)
        return RecordKey::none;
    return press.shift ? RecordKey::verdictNg : RecordKey::verdictOk;
}

Pane nextPane(Pane from, bool forward) {
    switch (from) {
        case Pane::list:
            return forward ? Pane::view : Pane::keyPanel;
        case Pane::view:
            return forward ? Pane::keyPanel : Pane::list;
        case Pane::keyPanel:
            return forward ? Pane::list : Pane::view;
        case Pane::none:
            break;
    }
    return forward ? Pane::list : Pane::keyPanel;
}

int pageOfPane(Pane pane) {
    return pane == Pane::keyPanel ? 1 : 0;
}

int nextPage(int current, int count, bool forward) {
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        return forward ? 0 : count - 1;
    return (current + (forward ? 1 : count - 1)) % count;
}

HotKeyControlKey hotKeyControlKey(const KeyPress& press) {
    if (isModifier(press.key))
        return HotKeyControlKey::modifier;
    if (!press.control && !press.alt &&
        (press.key == kKeyTab ||
         (!press.shift && (press.key == kKeyReturn || press.key == kKeyEscape))))
        return HotKeyControlKey::dialog;
    if (press.key == kKeyF10 && !press.control && !press.shift && !press.alt)
        return HotKeyControlKey::menu;
    if (press.key == kKeyF4 && press.alt && !press.control && !press.shift)
        return HotKeyControlKey::close;
    // The search has nothing to find on the settings page; a capture key
    // may well be F3 or Ctrl+F.
    if ((press.key == kKeyF3 && !press.control && !press.alt) ||
        (press.key == kKeyF && press.control && !press.shift && !press.alt))
        return HotKeyControlKey::keep;
    return HotKeyControlKey::take;
}

void HotKeyEditGuard::modifierDown(int key, std::uint16_t value) {
    if (!armed_) {
        armed_ = true;
        saved_ = value;
        altOnly_ = key == kKeyAlt;
    } else if (key != kKeyAlt) {
        altOnly_ = false;
    }
}

void HotKeyEditGuard::otherKeyDown(bool takenByControl) {
    if (takenByControl)
        armed_ = false;
    altOnly_ = false;
}

HotKeyEditGuard::Release HotKeyEditGuard::modifierUp(int key, bool modifiersStillDown) {
    if (!armed_ || modifiersStillDown)
        return Release::keep;
    armed_ = false;
    return key == kKeyAlt && altOnly_ ? Release::restoreAndOpenMenu : Release::restore;
}

bool HotKeyEditGuard::focusLeft() {
    const bool wasArmed = armed_;
    armed_ = false;
    return wasArmed;
}
