// The entry of the widget tests: one QApplication that lives exactly as long as the tests, so
// Qt's pointing devices and windows are gone before the library's own globals are.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
