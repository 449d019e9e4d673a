#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <optional>

namespace corvane {

// The Icon= value of the desktop entry (.desktop file) that belongs to an
// application's WM_CLASS, searched in `applicationDirs` (earlier folders win):
// first an entry whose StartupWMClass names the class, then one whose file name
// does (org.gnome.Nautilus.desktop for class "org.gnome.Nautilus" or "nautilus").
// Case is ignored; hidden entries are skipped.
std::optional<QString> desktopEntryIconName(const QString& wmClass,
                                            const QStringList& applicationDirs);

// The application's icon from its desktop entry in the XDG applications folders
// and the icon theme; a null icon when there is none. The folders are read once
// per process.
QIcon desktopEntryIcon(const QString& wmClass);

}  // namespace corvane
