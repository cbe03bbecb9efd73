// A window holding push buttons on the offscreen platform, driven by real input through its
// QWindow (so Qt's own hit testing, focus on click and pointer grab take part), and a fake
// pointer probe that says what lies under the pointer when the hover polling asks.
#pragma once

#include "button/Command.h"
#include "platform/PointerProbe.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <utility>

namespace quillaro::test {

struct FakePointer : PointerProbe {
    QWidget* under = nullptr;
    int asked = 0;
    QPoint position() override { return {}; }
    QWidget* widgetAt(QPoint) override {
        ++asked;
        return under;
    }
};

// The face a button painted last, with the state it is in.
using Look = std::pair<Command::FacePicture, Command::FaceState>;
inline Look look(const Command& button) {
    return {button.lastPainted(), button.state()};
}

class ButtonHarness : public ::testing::Test {
protected:
    static constexpr QPoint Outside{150, 50};

    void SetUp() override {
        window.resize(200, 100);
        other.setGeometry(120, 70, 60, 20); // takes the window's first focus
        pointer.under = &window;
    }
    // A button from the dialog's kind of stored properties, placed at (20, 20), initialised.
    Command& addButton(QSize size = {81, 25}, bool initialize = true) {
        buttons.push_back(
            std::make_unique<Command>(Command::StoredInstance("設定", size), &window, pointer));
        Command& button = *buttons.back();
        button.move(20, 20);
        if (initialize)
            button.Initialize();
        return button;
    }
    void showWindow() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        // Qt drops a move to where the pointer already is, and an earlier test may have left it
        // over a button: start from a place no button covers.
        moveTo(Outside);
    }
    QWindow* input() { return window.windowHandle(); }
    // Moves the pointer to a point of the window; the probe then finds what Qt finds there.
    void moveTo(QPoint at) {
        QWidget* child = window.childAt(at);
        pointer.under = child != nullptr ? child : &window;
        QTest::mouseMove(input(), at);
    }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(input(), button, {}, at);
    }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(input(), button, {}, at);
    }
    // Waits for the next look of the hover polling at the pointer (of an enabled button).
    void tick() {
        const int before = pointer.asked;
        ASSERT_TRUE(QTest::qWaitFor([&] { return pointer.asked > before; }, 5000));
    }

    FakePointer pointer;
    QWidget window;
    QLineEdit other{&window};
    std::vector<std::unique_ptr<Command>> buttons;
};

} // namespace quillaro::test
