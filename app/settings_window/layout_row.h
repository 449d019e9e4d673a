#pragma once

#include <QWidget>

#include "core/saved_layout.h"

class QAbstractButton;
class QCheckBox;
class QLabel;

namespace corvane {

class AppController;

// One saved layout in the Shortcuts tab: its switch, name, shortcut and
// scope, and the buttons that open the editors or delete it.
class LayoutRow : public QWidget {
    Q_OBJECT

public:
    LayoutRow(AppController& controller, const SavedLayout& layout, QWidget* parent = nullptr);

    const SavedLayout& layout() const { return layout_; }
    // Shows `layout`, which may be another one than before.
    void showLayout(const SavedLayout& layout);

private:
    void setEnabledInSettings(bool enabled);
    void deleteFromSettings();

    AppController& controller_;
    SavedLayout layout_;
    QCheckBox* enabled_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* shortcut_ = nullptr;
    QLabel* scope_ = nullptr;
    QAbstractButton* globalShortcut_ = nullptr;
    QAbstractButton* edit_ = nullptr;
    QAbstractButton* delete_ = nullptr;
};

}  // namespace corvane
