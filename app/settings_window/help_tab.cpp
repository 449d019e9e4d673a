#include "app/settings_window/help_tab.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

#include "app/controller/app_controller.h"
#include "app/settings/settings_store.h"
#include "app/settings_window/settings_widgets.h"

namespace corvane {

namespace {

struct KeyRow {
    const char* keys;
    const char* action;
};

// U+2212 is the minus sign the keys are printed with.
constexpr KeyRow keyRows[] = {
    {"Arrow keys", "Move the grid selection"},
    {"Shift + arrows", "Extend the selection"},
    {"Return / Esc", "Apply / dismiss"},
    {"Tap Alt", "Subdivide the grid (up to 20 \u00d7 20)"},
    {"Tab / Shift-Tab", "Focus the next / previous display"},
    {"Ctrl++ / Ctrl+\u2212", "Add / remove a row"},
    {"Ctrl+Shift++ / Ctrl+Shift+\u2212", "Add / remove a column"},
    {"Ctrl+Z / Ctrl+,", "Undo / settings"},
};

QLabel* wrapped(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAccessibleName(text);
    return label;
}

void addStep(QVBoxLayout* layout, const QString& title, QLabel* text) {
    layout->addWidget(makeHeading(title));
    layout->addWidget(text);
    layout->addSpacing(6);
}

}  // namespace

HelpTab::HelpTab(AppController& controller, QString homepage, QWidget* parent)
    : QWidget(parent), controller_(controller), homepage_(std::move(homepage)) {
    while (homepage_.endsWith(QLatin1Char('/'))) homepage_.chop(1);
    auto* content = new QVBoxLayout;
    addSteps(content);
    addKeyTable(content);
    addNotes(content);
    addLinksAndQuit(content);
    content->addStretch();

    setScrollingContent(*this, content);
    refresh();
}

void HelpTab::addSteps(QVBoxLayout* layout) {
    firstStep_ = wrapped({});
    addStep(layout, QStringLiteral("01  Choose a window"), firstStep_);
    addStep(layout, QStringLiteral("02  Draw its new home"),
            wrapped(QStringLiteral("Click and drag across the grid. The highlighted rectangle is "
                                   "where your window will go. Release to apply. Each display "
                                   "gets its own grid.")));
    addStep(layout, QStringLiteral("03  Make it a habit"),
            wrapped(QStringLiteral(
                "Use the layout buttons, or record your own shortcuts. Enable \u201cKeep the grid "
                "open\u201d to arrange several windows in a row. Hold Shift while selecting to "
                "reverse that setting for one move.")));
}

void HelpTab::addKeyTable(QVBoxLayout* layout) {
    layout->addWidget(makeHeading(QStringLiteral("Keyboard controls")));
    auto* table = new QGridLayout;
    table->setHorizontalSpacing(24);
    int row = 0;
    for (const KeyRow& keys : keyRows) {
        auto* combo = new QLabel(QString::fromUtf8(keys.keys));
        combo->setAccessibleName(combo->text());
        QFont font = combo->font();
        font.setBold(true);
        combo->setFont(font);
        table->addWidget(combo, row, 0);
        table->addWidget(wrapped(QString::fromUtf8(keys.action)), row, 1);
        ++row;
    }
    table->setColumnStretch(1, 1);
    layout->addLayout(table);
    layout->addSpacing(6);
}

void HelpTab::addNotes(QVBoxLayout* layout) {
    layout->addWidget(makeNote(
        QStringLiteral("Some apps enforce a minimum window size. Full-screen windows must leave "
                       "full screen before tiling. Secure or fixed-size windows may not allow "
                       "resizing.")));
    storage_ = makeNote({});
    storage_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(storage_);
}

void HelpTab::addLinksAndQuit(QVBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    if (!homepage_.isEmpty()) {
        links_ = {{QStringLiteral("Website"), homepage_},
                  {QStringLiteral("Support"), homepage_ + QStringLiteral("/support")},
                  {QStringLiteral("Privacy"), homepage_ + QStringLiteral("/privacy")}};
    }
    for (const auto& [text, url] : links_) {
        QAbstractButton* link = makeTextButton(text);
        link->setToolTip(url);
        connect(link, &QAbstractButton::clicked, this, [this, url = url] { open(url); });
        row->addWidget(link);
    }
    row->addStretch();
    QAbstractButton* quit = makeTextButton(QStringLiteral("Quit Corvane"));
    connect(quit, &QAbstractButton::clicked, &controller_, &AppController::quitRequested);
    row->addWidget(quit);
    layout->addLayout(row);
}

void HelpTab::open(const QString& url) {
    if (const auto& openUrl = controller_.options().openUrl) {
        openUrl(url.toStdString());
    } else {
        QDesktopServices::openUrl(QUrl(url));
    }
}

void HelpTab::refresh() {
    const auto& activation = controller_.settings().activationShortcut;
    const QString keys = activation ? QString::fromStdString(controller_.shownShortcut(*activation))
                                    : QStringLiteral("your activation shortcut");
    firstStep_->setText(QStringLiteral("Click the window you want to arrange, then click the tray "
                                       "grid icon or press ") +
                        keys + QStringLiteral("."));
    firstStep_->setAccessibleName(firstStep_->text());
    storage_->setText(QStringLiteral("Settings are saved locally in ") +
                      QString::fromStdString(controller_.store().url().string()) +
                      QStringLiteral(". Export and import use Corvane\u2019s JSON format."));
    storage_->setAccessibleName(storage_->text());
}

}  // namespace corvane
