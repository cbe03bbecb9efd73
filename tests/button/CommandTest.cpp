// The push button driven by real input: pointer moves, presses and releases through the window,
// focus changes, and hover polling ticks that ask a fake pointer; that Qt's events reach the
// state machine as they should. Each test counts Click and follows the face the button paints.
#include "ButtonHarness.h"

#include <QSignalSpy>

using namespace quillaro;
using namespace quillaro::test;
using Face = Command::FacePicture;
using State = Command::FaceState;

namespace {

constexpr QPoint OnCaption{60, 32}; // the middle of an 81 x 25 button at (20, 20)

class CommandTest : public ButtonHarness {};

TEST_F(CommandTest, UnfocusedClickShowsHoverPressAndFocusedHoverAndClicksOnce) {
    Command& button = addButton();
    QSignalSpy clicks(&button, &Command::Click);
    showWindow();
    moveTo(OnCaption);
    EXPECT_EQ(look(button), Look(Face::HighLight, State::HighLight));

    press(OnCaption);
    EXPECT_TRUE(button.hasFocus());
    EXPECT_EQ(look(button), Look(Face::Pressed, State::HighLightSelect));
    EXPECT_TRUE(button.mouseIsDown());
    tick(); // the pointer is still over the caption: nothing changes
    EXPECT_EQ(button.lastPainted(), Face::Pressed);

    release(OnCaption);
    EXPECT_EQ(button.lastPainted(), Face::HighLightSelect);
    EXPECT_EQ(clicks.count(), 1);
    press(OnCaption, Qt::RightButton); // paints nothing, but its release clicks too
    EXPECT_FALSE(button.mouseIsDown());
    release(OnCaption, Qt::RightButton);
    EXPECT_EQ(look(button), Look(Face::HighLightSelect, State::HighLightSelect));
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(&button, Qt::Key_Space); // no key raises Click
    QTest::keyClick(&button, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);

    moveTo(Outside);
    tick();
    EXPECT_EQ(look(button), Look(Face::Selected, State::Selected));
}

TEST_F(CommandTest, PointerWithoutMotionCountsAsOverTheButton) {
    Command& button = addButton();
    QSignalSpy clicks(&button, &Command::Click);
    showWindow();
    // Clicks that Qt delivers straight to the button, with no move or entry before them: on an
    // unfocused button the faces are those of a click after a move.
    const QPoint inside{40, 12};
    QTest::mousePress(&button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(look(button), Look(Face::Pressed, State::HighLightSelect));
    EXPECT_TRUE(button.gradientReversed()); // left over from the hover face
    QTest::mouseRelease(&button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);
    tick(); // the probe still says the pointer is elsewhere: a focused button, not hovered
    ASSERT_EQ(button.state(), State::Selected);
    QTest::mouseClick(&button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 2);

    // A button that appears under a resting pointer shows the hover face.
    Command& late = addButton();
    late.move(110, 60);
    pointer.under = &late;
    late.show();
    EXPECT_EQ(late.lastPainted(), Face::HighLight);
}

TEST_F(CommandTest, DraggingOutOfAFocusedButtonCancelsTheClick) {
    Command& button = addButton();
    QSignalSpy clicks(&button, &Command::Click);
    showWindow();
    button.setFocus(Qt::TabFocusReason);
    ASSERT_EQ(button.state(), State::Selected);

    press(OnCaption);
    moveTo(Outside); // the button holds the pointer: the move still reaches it
    tick();
    EXPECT_EQ(button.lastPainted(), Face::Selected);
    moveTo(OnCaption); // coming back while held does not bring back the hover face
    EXPECT_EQ(button.state(), State::Selected);
    release(OnCaption);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button.lastPainted(), Face::Selected);
}

TEST_F(CommandTest, DisabledButtonIgnoresInputAndDoesNotPollAndInitializeStartsThePolling) {
    Command& button = addButton({81, 25}, false);
    QSignalSpy clicks(&button, &Command::Click);
    showWindow();
    EXPECT_FALSE(button.TmrMouse().isActive());
    moveTo(OnCaption); // before Initialize: no hover look
    EXPECT_EQ(look(button), Look(Face::Normal, State::Unset));
    button.Initialize();
    EXPECT_TRUE(button.TmrMouse().isActive());
    EXPECT_EQ(button.TmrMouse().interval(), 100);

    button.Enabled(false);
    EXPECT_EQ(button.lastPainted(), Face::Disable);
    EXPECT_FALSE(button.LblMsg().isEnabled());
    moveTo({61, 33});
    press(OnCaption);
    release(OnCaption);
    const int asked = pointer.asked;
    QTest::qWait(3 * Command::MouseInterval); // a disabled button does not even look
    EXPECT_EQ(pointer.asked, asked);
    EXPECT_EQ(look(button), Look(Face::Disable, State::Normal));
    EXPECT_EQ(clicks.count(), 0);

    button.Enabled(true); // repaints Normal, the state stays
    EXPECT_EQ(look(button), Look(Face::Normal, State::Normal));
    EXPECT_TRUE(button.LblMsg().isEnabled());
    button.setEnabled(false); // Qt's own switch is the property too
    EXPECT_EQ(button.lastPainted(), Face::Disable);
    button.setEnabled(true);
    EXPECT_TRUE(button.Enabled());
}

} // namespace
