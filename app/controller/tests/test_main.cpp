#include <gtest/gtest.h>

#include <QApplication>

// The controller's tests open real (off-screen) panels: never on a real desktop.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
