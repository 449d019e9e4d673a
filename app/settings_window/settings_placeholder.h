#pragma once

#include <QWidget>

class QLabel;

namespace corvane {

class AppController;

// A stand-in for the settings window until the real one exists: it says so,
// shows where the settings file lives, and lists the problems the user must
// know about (a settings file that failed to load, shortcuts that are taken).
class SettingsPlaceholder : public QWidget {
    Q_OBJECT

public:
    explicit SettingsPlaceholder(AppController& controller, QWidget* parent = nullptr);

    void refresh();
    QString problemsText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppController& controller_;
    QLabel* path_ = nullptr;
    QLabel* problems_ = nullptr;
};

}  // namespace corvane
