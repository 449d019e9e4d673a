#pragma once

class QWidget;

namespace corvane {

// Keeps a purely decorative widget (a drawn mark, an icon, the drag handle) out
// of what screen readers announce: it is reported as invisible, without text
// or children.
void hideFromAccessibility(QWidget* widget);
bool isHiddenFromAccessibility(const QWidget* widget);

}  // namespace corvane
