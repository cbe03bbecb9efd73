// The push button's state machine as one table: from a state and an event, the next state, the
// face painted and whether Click is raised.
#include "button/CommandBehaviour.h"

#include <gtest/gtest.h>

using namespace quillaro;

namespace {

using E = CommandEvent;
using F = FaceState;
using P = FacePicture;
constexpr std::optional<P> None;

TEST(CommandBehaviour, TransitionTable) {
    struct Row { // from (face, mouse down) by event to (face, mouse down), the face painted, Click
        F face;
        bool down;
        E event;
        F next;
        bool nextDown;
        std::optional<P> paint;
        bool click;
    };
    const Row rows[] = {
        {F::Unset, false, E::PointerOver, F::Unset, false, None, false}, // no hover before setup
        {F::Normal, false, E::PointerOver, F::HighLight, false, P::HighLight, false},
        {F::HighLight, false, E::PointerOver, F::HighLight, false, None, false},
        {F::Selected, false, E::PointerOver, F::HighLightSelect, false, P::HighLightSelect, false},
        {F::Selected, true, E::PointerOver, F::Selected, true, None, false}, // held: no hover
        {F::HighLight, false, E::PointerGone, F::Normal, false, P::Normal, false},
        {F::HighLightSelect, true, E::PointerGone, F::Selected, true, P::Selected, false},
        {F::Selected, false, E::PointerGone, F::Selected, false, None, false},
        {F::HighLight, false, E::LeftPress, F::HighLight, true, P::Pressed, false},
        {F::Selected, false, E::LeftPress, F::Selected, true, P::Pressed, false},
        {F::HighLightSelect, false, E::OtherPress, F::HighLightSelect, false, None, false},
        {F::Unset, true, E::LeftRelease, F::Unset, false, None, true},
        {F::Normal, true, E::LeftRelease, F::Normal, false, None, true},
        {F::HighLight, true, E::LeftRelease, F::HighLight, false, P::Normal, true},
        {F::Selected, true, E::LeftRelease, F::Selected, false, None, false},
        {F::HighLightSelect, true, E::LeftRelease, F::HighLightSelect, false, P::HighLightSelect,
         true},
        {F::HighLight, false, E::OtherRelease, F::HighLight, false, None, true},
        {F::Selected, false, E::OtherRelease, F::Selected, false, None, false},
        {F::HighLightSelect, true, E::OtherRelease, F::HighLightSelect, true, None, true},
        {F::Unset, false, E::FocusIn, F::Selected, false, P::Selected, false},
        {F::Normal, false, E::FocusIn, F::Selected, false, P::Selected, false},
        {F::HighLight, true, E::FocusIn, F::HighLightSelect, true, P::Pressed, false},
        {F::HighLightSelect, false, E::FocusIn, F::Selected, false, P::Selected, false},
        {F::Unset, false, E::FocusOut, F::Normal, false, P::Normal, false},
        {F::Normal, false, E::FocusOut, F::Normal, false, None, false},
        {F::HighLightSelect, false, E::FocusOut, F::Normal, false, P::Normal, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "face " << int(r.face) << " down " << r.down << " event " << int(r.event));
        const CommandStep step = CommandBehaviour({r.face, true, r.down}, r.event);
        EXPECT_EQ(step.next, (CommandState{r.next, true, r.nextDown}));
        EXPECT_EQ(step.paint, r.paint);
        EXPECT_EQ(step.click, r.click);

        // Disabled, the same state and event change nothing.
        const CommandState disabled{r.face, false, r.down};
        const CommandStep ignored = CommandBehaviour(disabled, r.event);
        EXPECT_EQ(ignored.next, disabled);
        EXPECT_FALSE(ignored.paint.has_value() || ignored.click);
    }
}

} // namespace
