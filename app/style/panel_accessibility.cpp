#include "app/style/panel_accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace corvane {

namespace {

constexpr const char* kHiddenProperty = "corvaneAccessibleHidden";

class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::NoRole) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        state.focusable = false;
        return state;
    }
    QString text(QAccessible::Text) const override { return {}; }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* hiddenFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && isHiddenFromAccessibility(widget)) return new HiddenAccessible(widget);
    return nullptr;
}

}  // namespace

void hideFromAccessibility(QWidget* widget) {
    static const bool installed = [] {
        QAccessible::installFactory(hiddenFactory);
        return true;
    }();
    (void)installed;
    widget->setProperty(kHiddenProperty, true);
}

bool isHiddenFromAccessibility(const QWidget* widget) {
    return widget->property(kHiddenProperty).toBool();
}

}  // namespace corvane
