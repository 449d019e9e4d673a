#pragma once

#include <QObject>
#include <cstdint>
#include <optional>

#include "core/panel_keys.h"

class QKeyEvent;

namespace corvane {

class AppController;

// A key press as the grid handles it: Corvane's virtual key code (the key's
// position) and modifier mask.
struct KeyPress {
    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
    // The command key the desktop reports as typed, for a command character
    // that no key of the layout types on its own: "=" is Shift+0 on a German
    // keyboard, and with Ctrl held a Cyrillic layout types Latin letters.
    std::optional<std::uint16_t> typedCommand = std::nullopt;
};

// The grid's own keys while one of its panels has the keyboard, and the Alt
// tap that subdivides the grid. An application-wide event filter while the
// grid is open: every event of the application would pass through it otherwise.
class PanelKeys : public QObject {
public:
    explicit PanelKeys(AppController& controller) : controller_(controller) {}

    // A key pressed while the panel at `panelIndex` has the keyboard; true when handled.
    bool handleKeyDown(const KeyPress& key, std::size_t panelIndex);
    // Modifier state changed while a panel has the keyboard.
    void handleFlagsChanged(std::uint32_t modifiers);
    // The grid opened (with Alt held or not) or closed: no tap is under way.
    void resetAltTap(bool altHeld);
    // Starts or stops seeing the application's key and mouse events.
    void watch(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKeyEvent(QObject* watched, QKeyEvent* event);
    void perform(PanelKeyAction action, bool shift, std::size_t panelIndex);
    bool applyGridLayout(const KeyPress& key);
    // The panel's own key a press stands for, with the modifiers it is read with.
    std::optional<KeyPress> ownKey(const KeyPress& pressed) const;

    AppController& controller_;
    bool altTapArmed_ = false;
    bool altDown_ = false;
    bool watching_ = false;
};

}  // namespace corvane
