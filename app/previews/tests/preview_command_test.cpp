#include "app/previews/preview_command.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <fstream>

#include "app/previews/preview_renderer.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the real corvane as a build machine would: no X server, no display,
// no platform chosen, and a home of its own with no settings in it.
Finished runCorvane(const testing::TempDir& home, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("HOME", QString::fromStdString(home.path().string()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((home / "config").string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path().string()));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CORVANE_BINARY), arguments);
    process.waitForFinished(60000);
    return Finished{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                    QString::fromUtf8(process.readAllStandardOutput()),
                    QString::fromUtf8(process.readAllStandardError())};
}

TEST(PreviewCommandTest, RendersWithoutAnyDisplayIntoNewFolders) {
    testing::TempDir home;
    const fs::path folder = home / "out" / "docs";
    const Finished run =
        runCorvane(home, {"--render-previews", QString::fromStdString(folder.string())});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Render failed")) << run.err.toStdString();

    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 9) << run.out.toStdString();
    for (std::size_t i = 0; i < PreviewRenderer::fileNames.size(); ++i) {
        const char* name = PreviewRenderer::fileNames[i];
        const QImage image(QString::fromStdString((folder / name).string()), "PNG");
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(lines[static_cast<int>(i)].toStdString(),
                  QStringLiteral("Rendered %1: (%2.0, %3.0)")
                      .arg(QLatin1String(name))
                      .arg(image.width())
                      .arg(image.height())
                      .toStdString());
    }
}

TEST(PreviewCommandTest, AFolderThatCannotBeMadeFailsWithStatusOne) {
    testing::TempDir home;
    std::ofstream(home / "file") << "not a folder";
    const fs::path folder = home / "file" / "docs";
    const Finished run =
        runCorvane(home, {"--render-previews", QString::fromStdString(folder.string())});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.toStdString(), "");
    EXPECT_EQ(run.err.toStdString(), "Render failed: Could not create the folder \u201c" +
                                         folder.string() + "\u201d: Not a directory.\n");
}

}  // namespace
}  // namespace corvane
