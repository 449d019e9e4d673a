#pragma once

#include <filesystem>
#include <ostream>

namespace corvane {

// `corvane --render-previews FOLDER`: builds Corvane as for a normal start, on
// the off-screen platform and a desktop with no other windows, renders the
// preview pictures into `folder` and returns the exit status: 0, or 1 after
// "Render failed: " and the reason on `err`. Needs no X server; must run
// before any QApplication exists.
int runPreviewCommand(const std::filesystem::path& folder, int argc, char** argv, std::ostream& out,
                      std::ostream& err);

}  // namespace corvane
