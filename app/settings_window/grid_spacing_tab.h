#pragma once

#include <QWidget>
#include <utility>
#include <vector>

#include "app/settings_window/settings_binding.h"
#include "core/settings/app_settings.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QVBoxLayout;

namespace corvane {

class AppController;
class SpacingPreview;

// "Grid & Spacing": the default grid, margins and gaps with a preview of
// them, and the advanced switches.
class GridSpacingTab : public QWidget {
    Q_OBJECT

public:
    explicit GridSpacingTab(AppController& controller, QWidget* parent = nullptr);

    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addGridSection(QVBoxLayout* layout);
    void addSpacingSection(QVBoxLayout* layout);
    void addAdvancedSection(QVBoxLayout* layout);
    QSpinBox* gridStepper(const QString& prefix, std::int64_t GridSize::*field);
    QLineEdit* spacingField(const QString& label, double Margins::*field);
    void commitSpacing(QLineEdit* field, double Margins::*value);

    AppController& controller_;
    std::vector<std::pair<QSpinBox*, std::int64_t GridSize::*>> steppers_;
    std::vector<std::pair<QLineEdit*, double Margins::*>> spacing_;
    SettingSwitches switches_;
    QCheckBox* marginsEnabled_ = nullptr;
    SpacingPreview* preview_ = nullptr;
};

}  // namespace corvane
