#include "app/settings_window/settings_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

#include "app/controller/app_controller.h"
#include "app/controller/settings_actions.h"
#include "app/settings_window/editor_sheets.h"
#include "app/settings_window/general_tab.h"
#include "app/settings_window/grid_spacing_tab.h"
#include "app/settings_window/help_tab.h"
#include "app/settings_window/settings_widgets.h"
#include "app/settings_window/shortcuts_tab.h"
#include "app/style/brand_mark.h"
#include "app/style/panel_style.h"
#include "app/style/panel_symbols.h"

#ifndef CORVANE_HOMEPAGE_URL
#define CORVANE_HOMEPAGE_URL ""
#endif

namespace corvane {

namespace {

constexpr int windowWidth = 670;
constexpr int windowHeight = 600;
constexpr int footerPointSize = 11;
constexpr int brandSize = 28;
constexpr int bannerSymbolSize = 16;

// Display position -> the controller's tab number; swapping two tabs is its own inverse.
constexpr std::array<int, 4> tabNumbers = {SettingsWindow::generalTab, SettingsWindow::shortcutsTab,
                                           SettingsWindow::gridSpacingTab, SettingsWindow::helpTab};

}  // namespace

SettingsWindow::SettingsWindow(AppController& controller, QWidget* parent)
    : QWidget(parent, Qt::Window), controller_(controller) {
    setWindowTitle(QStringLiteral("Corvane Settings"));
    setAccessibleName(windowTitle());
    resize(windowWidth, windowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    chooseFile_ = [this](const SettingsFileRequest& request) {
        return runFileDialog(this, request);
    };

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeader());
    layout->addWidget(makeBanner());
    layout->addWidget(makeShortcutWarnings());
    layout->addWidget(makeTabs(), 1);
    layout->addWidget(makeFooter());

    // The layout editor and the global shortcut editor open over this window
    // when the controller asks for one.
    new EditorSheets(controller_, this);
    connect(&controller_, &AppController::stateChanged, this, &SettingsWindow::refresh);
    refresh();
}

QWidget* SettingsWindow::makeHeader() {
    auto* header = new QWidget;
    auto* mark = new BrandMark(brandSize, PanelStyle::accent(), header);
    auto* name = makeHeading(QStringLiteral("Corvane"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    name->setFont(big);
    auto* tagline = makeNote(QStringLiteral("A little grid. A lot more room."));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(name);
    texts->addWidget(tagline);

    QAbstractButton* openGrid = makeTextButton(QStringLiteral("Open Grid"));
    connect(openGrid, &QAbstractButton::clicked, this, [this] { controller_.showPanels(); });

    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(mark);
    row->addLayout(texts, 1);
    row->addWidget(openGrid);
    return header;
}

QWidget* SettingsWindow::makeBanner() {
    banner_ = new QWidget;
    auto* symbol = new QLabel;
    symbol->setPixmap(
        settingsSymbol(SettingsSymbol::warning).pixmap(bannerSymbolSize, bannerSymbolSize));
    symbol->setAccessibleName(QStringLiteral("Warning"));
    bannerMessage_ = new QLabel;
    bannerMessage_->setTextFormat(Qt::PlainText);
    bannerMessage_->setWordWrap(true);
    bannerMessage_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* dismiss = new QToolButton;
    dismiss->setIcon(symbolIcon(Symbol::close, palette().color(QPalette::WindowText)));
    dismiss->setAutoRaise(true);
    dismiss->setAccessibleName(QStringLiteral("Dismiss"));
    dismiss->setToolTip(QStringLiteral("Dismiss"));
    connect(dismiss, &QToolButton::clicked, this,
            [this] { controller_.setSettingsError(std::nullopt); });

    auto* row = new QHBoxLayout(banner_);
    row->addWidget(symbol, 0, Qt::AlignTop);
    row->addWidget(bannerMessage_, 1);
    row->addWidget(dismiss, 0, Qt::AlignTop);
    banner_->setAutoFillBackground(true);
    QPalette tinted = banner_->palette();
    tinted.setColor(QPalette::Window, QColor(255, 196, 0, 60));
    banner_->setPalette(tinted);
    return banner_;
}

// Shortcuts another program holds stay listed until they are changed or free
// again: there is nothing to dismiss.
QWidget* SettingsWindow::makeShortcutWarnings() {
    shortcutWarnings_ = new QLabel;
    shortcutWarnings_->setTextFormat(Qt::PlainText);
    shortcutWarnings_->setWordWrap(true);
    shortcutWarnings_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    shortcutWarnings_->setForegroundRole(QPalette::BrightText);
    shortcutWarnings_->setAutoFillBackground(true);
    shortcutWarnings_->setBackgroundRole(QPalette::Dark);
    shortcutWarnings_->setMargin(8);
    return shortcutWarnings_;
}

QWidget* SettingsWindow::makeTabs() {
    tabs_ = new QTabWidget;
    general_ = new GeneralTab(controller_);
    gridSpacing_ = new GridSpacingTab(controller_);
    shortcuts_ = new ShortcutsTab(controller_);
    help_ = new HelpTab(controller_, QStringLiteral(CORVANE_HOMEPAGE_URL));
    tabs_->addTab(general_, QStringLiteral("General"));
    tabs_->addTab(shortcuts_, QStringLiteral("Shortcuts"));
    // "&&" is a plain "&" on the tab (a single one would mark a shortcut key).
    tabs_->addTab(gridSpacing_, QStringLiteral("Grid && Spacing"));
    tabs_->addTab(help_, QStringLiteral("Help"));
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int position) { controller_.setSettingsTab(tabNumberAt(position)); });
    return tabs_;
}

QWidget* SettingsWindow::makeFooter() {
    auto* footer = new QWidget;
    auto* version = new QLabel(versionText());
    QFont small = version->font();
    small.setPointSize(footerPointSize);
    version->setFont(small);
    version->setAccessibleName(version->text());
    QAbstractButton* exportButton = makeTextButton(QStringLiteral("Export\u2026"));
    connect(exportButton, &QAbstractButton::clicked, this, &SettingsWindow::exportSettings);
    QAbstractButton* importButton = makeTextButton(QStringLiteral("Import\u2026"));
    connect(importButton, &QAbstractButton::clicked, this, &SettingsWindow::importSettings);

    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(version, 1);
    row->addWidget(exportButton);
    row->addWidget(importButton);
    return footer;
}

QString SettingsWindow::versionText() {
#ifdef CORVANE_VERSION
    const QString version = QStringLiteral(CORVANE_VERSION);
#else
    const QString version;
#endif
    return QStringLiteral("Version ") +
           (version.isEmpty() ? QStringLiteral("Development") : version);
}

int SettingsWindow::tabNumberAt(int position) {
    if (position < 0 || position >= static_cast<int>(tabNumbers.size())) return generalTab;
    return tabNumbers[static_cast<std::size_t>(position)];
}

int SettingsWindow::positionOfTab(int tabNumber) {
    for (std::size_t position = 0; position < tabNumbers.size(); ++position) {
        if (tabNumbers[position] == tabNumber) return static_cast<int>(position);
    }
    return 0;
}

void SettingsWindow::exportSettings() {
    if (const auto file = chooseFile_(exportRequest()))
        controller_.settingsActions().exportSettings(*file);
}

void SettingsWindow::importSettings() {
    if (const auto file = chooseFile_(importRequest()))
        controller_.settingsActions().importSettings(*file);
}

QString SettingsWindow::bannerText() const {
    return banner_->isHidden() ? QString() : bannerMessage_->text();
}

QString SettingsWindow::shortcutWarningsText() const {
    return shortcutWarnings_->isHidden() ? QString() : shortcutWarnings_->text();
}

void SettingsWindow::refresh() {
    const auto& error = controller_.settingsError();
    bannerMessage_->setText(error ? QString::fromStdString(*error) : QString());
    bannerMessage_->setAccessibleName(bannerMessage_->text());
    banner_->setVisible(error.has_value());
    QStringList warnings;
    for (const std::string& warning : controller_.shortcutWarnings())
        warnings << QString::fromStdString(warning);
    shortcutWarnings_->setText(warnings.join(QLatin1Char('\n')));
    shortcutWarnings_->setAccessibleName(shortcutWarnings_->text());
    shortcutWarnings_->setVisible(!warnings.isEmpty());
    {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(positionOfTab(controller_.settingsTab()));
    }
    general_->refresh();
    gridSpacing_->refresh();
    shortcuts_->refresh();
    help_->refresh();
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    controller_.handleSettingsWindowClosed();
}

}  // namespace corvane
