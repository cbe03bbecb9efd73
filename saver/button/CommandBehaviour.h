// What the push button does with the pointer, the focus and its polling, apart from any window:
// one pure step from the button's state and an event to its next state, the face to paint and
// whether Click is raised. The widget turns Qt's events into these and paints what comes back.
#pragma once

#include <cstdint>
#include <optional>

namespace quillaro {

// Which look the pointer and the focus call for.
enum class FaceState : std::uint8_t {
    Unset = 0,           // Initialize not called yet: no hover looks
    Normal = 1,          // no focus, pointer not over the button
    HighLight = 2,       // no focus, pointer over the button
    Selected = 3,        // focused, pointer not over the button
    HighLightSelect = 4, // focused, pointer over the button
};

// The six face pictures; HighLight and HighLightSelect are the same picture.
enum class FacePicture { Normal, HighLight, Pressed, Disable, Selected, HighLightSelect };

enum class CommandEvent {
    PointerOver,  // a move reaching the button, or the pointer found over it otherwise
    PointerGone,  // a polling tick found the pointer elsewhere
    LeftPress,    // the left mouse button
    OtherPress,   // any other mouse button
    LeftRelease,  //
    OtherRelease, //
    FocusIn,      //
    FocusOut,     //
};

struct CommandState {
    FaceState face = FaceState::Unset;
    bool enabled = false;
    bool mouseIsDown = false; // from a left press on the button to the next left release

    friend bool operator==(const CommandState&, const CommandState&) = default;
};

struct CommandStep {
    CommandState next;
    std::optional<FacePicture> paint; // the face to paint, if any
    bool click = false;               // raise Click (after painting)
};

// The transitions; the face is named by its number (1 Normal ... 4 HighLightSelect).
//
//   event         guard                           next state   paint            Click
//   ------------  ------------------------------  -----------  ---------------  -----
//   any           disabled                        unchanged    -                no
//   PointerOver   face 1                          2            HighLight        no
//   PointerOver   face 3, mouse not down          4            HighLightSelect  no
//   PointerGone   face 2                          1            Normal           no
//   PointerGone   face 4                          3            Selected         no
//   LeftPress                                     mouse down   Pressed          no
//   LeftRelease   face 2                          mouse up     Normal           face != 3
//   LeftRelease   face 4                          mouse up     HighLightSelect  face != 3
//   LeftRelease   other faces                     mouse up     -                face != 3
//   OtherRelease                                  unchanged    -                face != 3
//   FocusIn       face 2                          4            Pressed          no
//   FocusIn       other faces                     3            Selected         no
//   FocusOut      face != 1                       1            Normal           no
//   all other rows                                unchanged    -                no
//
// So a release on an unfocused button clicks wherever the pointer is, and a focused button
// dragged out (the polling takes 4 to 3) and released raises nothing.
CommandStep CommandBehaviour(CommandState state, CommandEvent event);

// The gradient's direction for the face about to be painted: white at the top for faces 1 and
// 3, lavender grey at the top for 2; faces 0 and 4 keep what the last painting left.
bool gradientReversedFor(FaceState face, bool before);

} // namespace quillaro
