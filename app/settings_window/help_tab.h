#pragma once

#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

class QAbstractButton;
class QLabel;
class QVBoxLayout;

namespace corvane {

class AppController;

// "Help": how to use the grid, its keys, where the settings live, links to
// Corvane's web pages and the way to quit.
class HelpTab : public QWidget {
    Q_OBJECT

public:
    // `homepage` is Corvane's web site; without one the links are left out.
    HelpTab(AppController& controller, QString homepage, QWidget* parent = nullptr);

    void refresh();
    // The links shown, by their text, with the page each opens.
    const std::vector<std::pair<QString, QString>>& links() const { return links_; }

private:
    void addSteps(QVBoxLayout* layout);
    void addKeyTable(QVBoxLayout* layout);
    void addNotes(QVBoxLayout* layout);
    void addLinksAndQuit(QVBoxLayout* layout);
    void open(const QString& url);

    AppController& controller_;
    QString homepage_;
    QLabel* firstStep_ = nullptr;
    QLabel* storage_ = nullptr;
    std::vector<std::pair<QString, QString>> links_;
};

}  // namespace corvane
