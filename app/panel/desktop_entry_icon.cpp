#include "app/panel/desktop_entry_icon.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace corvane {

namespace {

struct DesktopEntry {
    QString fileStem;        // "org.gnome.Nautilus"
    QString startupWMClass;  // may be empty
    QString icon;            // may be empty
    bool hidden = false;
};

// Reads the keys that matter from the [Desktop Entry] group; other groups
// (desktop actions) carry their own Icon= lines, which are not the application's.
DesktopEntry readEntry(const QString& path) {
    DesktopEntry entry;
    entry.fileStem = QFileInfo(path).completeBaseName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entry;
    // Desktop entries are small; a huge file is not one, so stop reading early.
    constexpr qint64 kLongestEntry = 1 << 20;
    QTextStream in(&file);
    bool inMainGroup = false;
    qint64 read = 0;
    while (!in.atEnd() && read < kLongestEntry) {
        const QString line = in.readLine().trimmed();
        read += line.size() + 1;
        if (line.startsWith(u'[')) {
            inMainGroup = (line == QLatin1String("[Desktop Entry]"));
            continue;
        }
        if (!inMainGroup || line.startsWith(u'#')) continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("StartupWMClass"))
            entry.startupWMClass = value;
        else if (key == QLatin1String("Hidden"))
            entry.hidden = (value == QLatin1String("true"));
    }
    return entry;
}

QList<DesktopEntry> readEntries(const QStringList& applicationDirs) {
    QList<DesktopEntry> entries;
    for (const QString& dir : applicationDirs) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) entries.append(readEntry(it.next()));
    }
    return entries;
}

bool sameName(const QString& a, const QString& b) {
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QString> findIcon(const QString& wmClass, const QList<DesktopEntry>& entries) {
    if (wmClass.isEmpty()) return std::nullopt;
    const auto usable = [](const DesktopEntry& e) { return !e.hidden && !e.icon.isEmpty(); };
    for (const DesktopEntry& e : entries) {
        if (usable(e) && sameName(e.startupWMClass, wmClass)) return e.icon;
    }
    for (const DesktopEntry& e : entries) {
        const QString lastPart = e.fileStem.section(u'.', -1);
        if (usable(e) && (sameName(e.fileStem, wmClass) || sameName(lastPart, wmClass))) {
            return e.icon;
        }
    }
    return std::nullopt;
}

QIcon iconFor(const QString& name) {
    if (QFileInfo(name).isAbsolute()) return QFileInfo::exists(name) ? QIcon(name) : QIcon();
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    // Older applications install a loose picture in the pixmaps folder instead.
    for (const char* suffix : {".png", ".svg", ".xpm"}) {
        const QString path =
            QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                   QStringLiteral("pixmaps/") + name + QLatin1String(suffix));
        if (!path.isEmpty()) return QIcon(path);
    }
    return {};
}

}  // namespace

std::optional<QString> desktopEntryIconName(const QString& wmClass,
                                            const QStringList& applicationDirs) {
    return findIcon(wmClass, readEntries(applicationDirs));
}

QIcon desktopEntryIcon(const QString& wmClass) {
    // Reading every desktop entry takes a moment, so it happens once per process.
    static const QList<DesktopEntry> entries =
        readEntries(QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation));
    const std::optional<QString> name = findIcon(wmClass, entries);
    return name ? iconFor(*name) : QIcon();
}

}  // namespace corvane
