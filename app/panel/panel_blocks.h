#pragma once

#include <QWidget>
#include <optional>

#include "core/grid_size.h"
#include "platform/displays.h"
#include "platform/window_system.h"

class QHBoxLayout;
class QLabel;
class QToolButton;

namespace corvane {

class ElidedLabel;
class PanelHost;

// The window a placement will act on: its application's icon and name, and
// its title; or an invitation to pick one.
class TargetRow : public QWidget {
    Q_OBJECT

public:
    static constexpr int iconSize = 34;

    TargetRow(PanelHost& host, QWidget* parent = nullptr);
    void refresh();

    QString nameText() const;
    QString titleText() const;
    // False while the generic window symbol stands in for an application icon.
    bool showsApplicationIcon() const { return showsAppIcon_; }

private:
    void refreshIcon();

    PanelHost& host_;
    QLabel* icon_ = nullptr;
    ElidedLabel* name_ = nullptr;
    ElidedLabel* title_ = nullptr;
    bool showsAppIcon_ = false;
    // The window whose icon is shown, so the icon is fetched once per target.
    std::optional<platform::WindowId> iconWindow_;
    bool iconFetched_ = false;
};

// Shown while Corvane cannot control windows: why, and two ways forward.
class PermissionCard : public QWidget {
    Q_OBJECT

public:
    // Also what `corvane --status` says in the same case.
    static constexpr const char* headingText = "Window control unavailable";

    PermissionCard(PanelHost& host, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The display this panel arranges windows on, and the grid in effect.
class DisplayRow : public QWidget {
    Q_OBJECT

public:
    DisplayRow(const platform::Display& display, QWidget* parent = nullptr);
    void refresh(const GridSize& grid);
    QString gridText() const;

private:
    QLabel* grid_ = nullptr;
};

// Columns − +, the subdivide toggle, Rows − +.
class GridSizeControls : public QWidget {
    Q_OBJECT

public:
    GridSizeControls(PanelHost& host, QWidget* parent = nullptr);
    void refresh(bool subdivided);
    QToolButton* subdivideButton() const { return subdivide_; }

private:
    QToolButton* addStepper(const QString& label, bool columns, QHBoxLayout* row);

    PanelHost& host_;
    QToolButton* subdivide_ = nullptr;
};

// The controller's message, or a hint when there is none.
class StatusLine : public QWidget {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);
    void refresh(const std::optional<std::string>& message, bool isError);
    QString text() const;
    QColor textColor() const;

private:
    QLabel* label_ = nullptr;
};

// Undo, Save layout and, with several displays, Move to next display.
class PanelToolbar : public QWidget {
    Q_OBJECT

public:
    PanelToolbar(PanelHost& host, QWidget* parent = nullptr);
    void refresh(bool hasSelection);

    QToolButton* undoButton() const { return undo_; }
    QToolButton* saveButton() const { return save_; }
    QToolButton* nextDisplayButton() const { return nextDisplay_; }

signals:
    void saveRequested();

private:
    PanelHost& host_;
    QToolButton* undo_ = nullptr;
    QToolButton* save_ = nullptr;
    QToolButton* nextDisplay_ = nullptr;
};

}  // namespace corvane
