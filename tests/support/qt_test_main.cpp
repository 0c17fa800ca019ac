// Entry point of the test executables that need a QApplication. The platform
// is forced offscreen here, not only through ctest's environment, because
// test discovery runs the binary without that environment.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
