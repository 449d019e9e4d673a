#pragma once

#include <QWidget>
#include <vector>

#include "core/saved_layout.h"

class QVBoxLayout;

namespace corvane {

class AppController;
class LayoutRow;

// "Shortcuts": the saved layouts, one row each, and the buttons that start a
// new one in the layout editor.
class ShortcutsTab : public QWidget {
    Q_OBJECT

public:
    explicit ShortcutsTab(AppController& controller, QWidget* parent = nullptr);

    void refresh();
    const std::vector<LayoutRow*>& rows() const { return rows_; }

    // What "New Layout" and "Add Global Shortcut" open the layout editor on.
    static SavedLayout newLayout(const GridSize& grid, bool global);

private:
    void rebuildRows(const std::vector<SavedLayout>& layouts);
    void orderTabStops();

    AppController& controller_;
    QWidget* addGlobal_ = nullptr;
    QWidget* newLayout_ = nullptr;
    QVBoxLayout* list_ = nullptr;
    std::vector<LayoutRow*> rows_;
};

}  // namespace corvane
