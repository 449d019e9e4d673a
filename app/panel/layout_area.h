#pragma once

#include <QAbstractButton>
#include <QScrollArea>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/saved_layout.h"

class QGridLayout;

namespace corvane {

// One saved layout on the panel: its region icon, its shortcut (as the
// current keyboard layout labels it) and its name. A click applies it on the
// panel's display.
class LayoutTile : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int tileHeight = 58;

    LayoutTile(const SavedLayout& layout, const std::string& shortcut, QWidget* parent = nullptr);
    const SavedLayout& layout() const { return layout_; }
    // The shortcut as the tile shows it; empty without one.
    QString shortcutText() const { return accessibleDescription(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SavedLayout layout_;
};

// The enabled saved layouts in three columns; taller lists scroll.
class SavedLayoutArea : public QScrollArea {
    Q_OBJECT

public:
    static constexpr int columns = 3;
    static constexpr int rowHeight = 65;
    static constexpr int tallest = 190;

    explicit SavedLayoutArea(QWidget* parent = nullptr);

    // Height of the area for `count` tiles: a row of 65 per three tiles, at most 190.
    static int heightFor(std::size_t count);

    // How a tile writes a shortcut.
    using ShortcutText = std::function<std::string(const KeyCombo&)>;

    // Rebuilds the tiles when the enabled layouts or the way their shortcuts
    // read changed (another keyboard layout); true when it did.
    bool setLayouts(const std::vector<SavedLayout>& layouts, const ShortcutText& shortcutText);
    // At most `height` tall (never below one row while there are tiles), so a
    // panel on a short monitor still fits; the list scrolls. None: the usual rule.
    void setHeightCap(std::optional<int> height);
    // The height the usual rule gives for the tiles shown now.
    int naturalHeight() const { return heightFor(shown_.size()); }
    const std::vector<LayoutTile*>& tiles() const { return tiles_; }

signals:
    void layoutChosen(const SavedLayout& layout);

private:
    void applyHeight();

    QWidget* content_ = nullptr;
    std::optional<int> heightCap_;
    QGridLayout* grid_ = nullptr;
    std::vector<SavedLayout> shown_;
    std::vector<std::string> shownShortcuts_;
    std::vector<LayoutTile*> tiles_;
};

}  // namespace corvane
