// The push button's hover on a real X server with the program's own pointer probe: a window of
// another X client laid over the button under the resting pointer ends the hover at the next
// poll, and taking that window away brings the hover back.
#include "XvfbServer.h"
#include "button/Command.h"

// Qt and gtest come before Xlib, whose None, Bool and Status macros would break their headers.
// clang-format off
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
// clang-format on
#include <X11/Xlib.h>
#include <cstdlib>

using namespace quillaro;

namespace {

const quillaro::test::XvfbServer* server = nullptr;

TEST(CommandHover, AnotherProgramsWindowOverTheButtonEndsTheHoverAtTheNextPoll) {
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    Command button(Command::StoredInstance("設定", {81, 25}), &window);
    button.move(20, 20);
    button.Initialize();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    Display* other = XOpenDisplay(server->display().c_str()); // another program's connection
    ASSERT_NE(other, nullptr);
    const Window root = DefaultRootWindow(other);
    const QRect onScreen(button.mapToGlobal(QPoint(0, 0)), button.size());
    XWarpPointer(other, 0, root, 0, 0, 0, 0, onScreen.center().x(), onScreen.center().y());
    XSync(other, False);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button.state() == FaceState::HighLight; }, 5000));

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window cover =
        XCreateWindow(other, root, onScreen.x() - 10, onScreen.y() - 10, 101, 45, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    QSignalSpy ticks(&button.TmrMouse(), &QTimer::timeout);
    XMapRaised(other, cover);
    XSync(other, False); // on the server before the next tick
    ticks.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return button.state() == FaceState::Normal; }, 3000));
    EXPECT_EQ(ticks.count(), 1);
    EXPECT_EQ(button.lastPainted(), FacePicture::Normal);

    XDestroyWindow(other, cover);
    XSync(other, False);
    EXPECT_TRUE(QTest::qWaitFor([&] { return button.state() == FaceState::HighLight; }, 3000));
    XCloseDisplay(other);
}

} // namespace

int main(int argc, char** argv) {
    const quillaro::test::XvfbServer xvfb;
    server = &xvfb;
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
