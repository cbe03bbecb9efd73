#include "CommandBehaviour.h"

namespace quillaro {

CommandStep CommandBehaviour(CommandState state, CommandEvent event) {
    CommandStep step{state, std::nullopt, false};
    if (!state.enabled)
        return step;
    FaceState& face = step.next.face;
    switch (event) {
    case CommandEvent::PointerOver:
        if (face == FaceState::Normal) {
            face = FaceState::HighLight;
            step.paint = FacePicture::HighLight;
        } else if (face == FaceState::Selected && !state.mouseIsDown) {
            face = FaceState::HighLightSelect;
            step.paint = FacePicture::HighLightSelect;
        }
        break;
    case CommandEvent::PointerGone:
        if (face == FaceState::HighLight) {
            face = FaceState::Normal;
            step.paint = FacePicture::Normal;
        } else if (face == FaceState::HighLightSelect) {
            face = FaceState::Selected;
            step.paint = FacePicture::Selected;
        }
        break;
    case CommandEvent::LeftPress:
        step.next.mouseIsDown = true;
        step.paint = FacePicture::Pressed;
        break;
    case CommandEvent::OtherPress:
        break;
    case CommandEvent::LeftRelease:
        step.next.mouseIsDown = false;
        if (face == FaceState::HighLight)
            step.paint = FacePicture::Normal;
        else if (face == FaceState::HighLightSelect)
            step.paint = FacePicture::HighLightSelect;
        step.click = face != FaceState::Selected;
        break;
    case CommandEvent::OtherRelease:
        step.click = face != FaceState::Selected;
        break;
    case CommandEvent::FocusIn:
        if (face == FaceState::HighLight) {
            face = FaceState::HighLightSelect;
            step.paint = FacePicture::Pressed;
        } else {
            face = FaceState::Selected;
            step.paint = FacePicture::Selected;
        }
        break;
    case CommandEvent::FocusOut:
        if (face != FaceState::Normal) {
            face = FaceState::Normal;
            step.paint = FacePicture::Normal;
        }
        break;
    }
    return step;
}

bool gradientReversedFor(FaceState face, bool before) {
    switch (face) {
    case FaceState::Normal:
    case FaceState::Selected:
        return false;
    case FaceState::HighLight:
        return true;
    case FaceState::Unset:
    case FaceState::HighLightSelect:
        break;
    }
    return before;
}

} // namespace quillaro
