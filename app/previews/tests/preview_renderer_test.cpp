#include "app/previews/preview_renderer.h"

#include <QImage>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "app/controller/tests/controller_fixture.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class PreviewRendererTest : public testing::ControllerTest {
protected:
    // Renders with the controller made so far; the error text, or none.
    std::optional<std::string> renderInto(const fs::path& folder) {
        try {
            PreviewRenderer(*controller, printed).renderAll(folder);
        } catch (const RenderError& error) {
            return error.what();
        }
        return std::nullopt;
    }

    std::vector<std::string> printedLines() const {
        std::vector<std::string> lines;
        std::istringstream in(printed.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    static QImage picture(const fs::path& file) {
        return QImage(QString::fromStdString(file.string()), "PNG");
    }

    testing::TempDir out;
    std::ostringstream printed;
};

TEST_F(PreviewRendererTest, NinePicturesEachAsLargeAsItsWindowWantsAndAnnounced) {
    make();
    ASSERT_EQ(renderInto(out.path()), std::nullopt);

    const std::vector<std::string> lines = printedLines();
    ASSERT_EQ(lines.size(), PreviewRenderer::fileNames.size());
    const std::regex announced(R"(Rendered ([a-z0-9-]+\.png): \((\d+)\.0, (\d+)\.0\))");
    std::map<std::string, QSize> sizes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(lines[i], parts, announced)) << lines[i];
        const std::string name = parts[1].str();
        EXPECT_EQ(name, PreviewRenderer::fileNames[i]);
        const QImage image = picture(out / name);
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(std::stoi(parts[2].str()), std::stoi(parts[3].str())))
            << name;
        sizes[name] = image.size();
    }
    // The grid panel is as wide as on screen, and taller while it explains why
    // windows cannot be arranged.
    EXPECT_EQ(sizes["grid.png"].width(), 366);
    EXPECT_EQ(sizes["onboarding.png"].width(), 366);
    EXPECT_GT(sizes["onboarding.png"].height(), sizes["grid.png"].height() + 60);
    EXPECT_EQ(picture(out / "grid.png").pixelColor(0, 0).alpha(), 0) << "rounded corners";
    EXPECT_EQ(picture(out / "settings-0.png").pixelColor(0, 0).alpha(), 255) << "opaque window";
    EXPECT_GT(sizes["settings-0.png"].width(), 300);
    EXPECT_NE(picture(out / "layout-editor.png"), picture(out / "global-shortcut-editor.png"));
    for (int tab = 1; tab < 4; ++tab) {
        const std::string name = "settings-" + std::to_string(tab) + ".png";
        EXPECT_NE(picture(out / name), picture(out / "settings-0.png")) << "another tab: " << name;
    }
    EXPECT_TRUE(controller->permissionGranted()) << "window control is what it was before";
}

TEST_F(PreviewRendererTest, WindowControlFlagIsRestoredAndExistingPicturesAreReplaced) {
    desktop.available = false;
    make();
    ASSERT_FALSE(controller->permissionGranted());
    std::ofstream(out / "grid.png") << "an old picture";
    ASSERT_EQ(renderInto(out.path()), std::nullopt);
    EXPECT_FALSE(controller->permissionGranted());
    EXPECT_FALSE(picture(out / "grid.png").isNull());
    EXPECT_EQ(testing::namesIn(out.path()).size(), 9u) << "no temporary files stay behind";
}

TEST_F(PreviewRendererTest, EditorsShowTheFirstLayoutOrAnExampleThatIsNeverSaved) {
    make([](AppSettings& settings) { settings.layouts.clear(); });
    const std::string fileBefore = testing::readFile(controller->store().url());
    ASSERT_EQ(renderInto(out / "empty"), std::nullopt);
    EXPECT_TRUE(controller->settings().layouts.empty());
    EXPECT_EQ(testing::readFile(controller->store().url()), fileBefore);

    const SavedLayout example = PreviewRenderer::editorLayout(controller->settings());
    EXPECT_EQ(example.name, "Example layout");
    EXPECT_EQ(example.grid, (GridSize{6, 6}));
    EXPECT_EQ(example.region, TileRegion::full());
    EXPECT_EQ(example.shortcut, std::nullopt);
    EXPECT_FALSE(example.isGlobal);
    EXPECT_TRUE(example.enabled);
    EXPECT_NE(PreviewRenderer::editorLayout(controller->settings()).id, example.id)
        << "a fresh identifier each time";

    AppSettings withLayouts;
    EXPECT_EQ(PreviewRenderer::editorLayout(withLayouts), withLayouts.layouts.front());

    // The pictures differ from those of the starter layouts the defaults hold.
    controller.reset();
    make([](AppSettings&) {});  // the defaults, starter layouts included
    ASSERT_EQ(renderInto(out / "starters"), std::nullopt);
    EXPECT_NE(picture(out / "empty" / "layout-editor.png"),
              picture(out / "starters" / "layout-editor.png"));
    EXPECT_NE(picture(out / "empty" / "layout-global-shortcut.png"),
              picture(out / "starters" / "layout-global-shortcut.png"));
}

TEST_F(PreviewRendererTest, MissingParentFoldersAreMade) {
    make();
    const fs::path folder = out / "docs" / "pictures" / "new";
    ASSERT_EQ(renderInto(folder), std::nullopt);
    for (const char* name : PreviewRenderer::fileNames)
        EXPECT_TRUE(fs::is_regular_file(folder / name)) << name;
}

TEST_F(PreviewRendererTest, AFolderOrFileThatCannotBeWrittenEndsTheRunWithTheReason) {
    make();
    std::ofstream(out / "notes.txt") << "a file, not a folder";
    const fs::path underFile = out / "notes.txt" / "pictures";
    EXPECT_EQ(renderInto(underFile), "Could not create the folder \u201c" + underFile.string() +
                                         "\u201d: Not a directory.");
    EXPECT_TRUE(printed.str().empty());

    // A folder where the second picture would go: the first one stays.
    fs::create_directories(out / "blocked" / "grid.png");
    const std::optional<std::string> error = renderInto(out / "blocked");
    ASSERT_TRUE(error);
    EXPECT_EQ(
        error->rfind(
            "Could not write \u201c" + (out / "blocked" / "grid.png").string() + "\u201d: ", 0),
        0u)
        << *error;
    EXPECT_EQ(printedLines().size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(out / "blocked" / "onboarding.png"));
    EXPECT_TRUE(controller->permissionGranted()) << "restored after a failure too";
}

TEST_F(PreviewRendererTest, WithoutAMonitorNothingIsRendered) {
    desktop.removeMonitor("DP-1");
    make();
    EXPECT_EQ(renderInto(out / "pictures"), WindowError(WindowError::Kind::noWindow).description());
    EXPECT_TRUE(fs::is_empty(out / "pictures"));
    EXPECT_TRUE(printed.str().empty());
}

}  // namespace
}  // namespace corvane
