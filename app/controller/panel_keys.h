#pragma once

#include <QObject>
#include <cstdint>

#include "core/panel_keys.h"

class QKeyEvent;

namespace corvane {

class AppController;

// A key press as the grid handles it: Corvane's virtual key code and modifier mask.
struct KeyPress {
    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
};

// The grid's own keys while one of its panels has the keyboard, and the Alt
// tap that subdivides the grid. Installed as an application-wide event filter
// while the controller runs.
class PanelKeys : public QObject {
public:
    explicit PanelKeys(AppController& controller) : controller_(controller) {}

    // A key pressed while the panel at `panelIndex` has the keyboard; true when handled.
    bool handleKeyDown(const KeyPress& key, std::size_t panelIndex);
    // Modifier state changed while a panel has the keyboard.
    void handleFlagsChanged(std::uint32_t modifiers);
    // The grid opened (with Alt held or not) or closed: no tap is under way.
    void resetAltTap(bool altHeld);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKeyEvent(QObject* watched, QKeyEvent* event);
    void perform(PanelKeyAction action, bool shift, std::size_t panelIndex);
    bool applyGridLayout(const KeyPress& key);

    AppController& controller_;
    bool altTapArmed_ = false;
    bool altDown_ = false;
};

}  // namespace corvane
