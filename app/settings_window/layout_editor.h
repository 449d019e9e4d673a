#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "app/panel/panel_selection.h"
#include "core/saved_layout.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvane {

class AppController;
class ErrorLine;
class LayoutGrid;
class ShortcutRecorder;

// The dialog in which one saved layout is created or changed: name, grid,
// region, shortcut, scope and whether it is on. It edits a copy; the settings
// change only when "Save Layout" succeeds.
class LayoutEditor : public QDialog {
    Q_OBJECT

public:
    LayoutEditor(AppController& controller, const SavedLayout& layout, QWidget* parent);

    // The copy being edited and the rectangle drawn on the editor's grid.
    const SavedLayout& layout() const { return layout_; }
    const std::optional<TileRegion>& selection() const { return selection_.region(); }
    std::optional<std::string> error() const;

    // "Start from a preset": the starter's name, grid and region; the shortcut,
    // scope and switch stay as they are.
    void choosePreset(const SavedLayout& preset);
    void subdivide();
    // "Save Layout": closes the dialog when the settings took the layout.
    void save();

private:
    void buildControls();
    void arrangeControls();
    void connectControls();
    void setGrid(const GridSize& grid);
    void showGrid();
    void showError(const std::optional<std::string>& message);

    AppController& controller_;
    SavedLayout layout_;
    PanelSelection selection_;
    QLineEdit* name_ = nullptr;
    QPushButton* presets_ = nullptr;
    QSpinBox* columns_ = nullptr;
    QSpinBox* rows_ = nullptr;
    QPushButton* subdivide_ = nullptr;
    LayoutGrid* grid_ = nullptr;
    ShortcutRecorder* recorder_ = nullptr;
    QRadioButton* inGrid_ = nullptr;
    QRadioButton* inAnyApp_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    ErrorLine* error_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* save_ = nullptr;
};

}  // namespace corvane
