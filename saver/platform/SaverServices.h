// Everything the saver's logic asks of its platform, handed around as one bundle of narrow
// interfaces. The program's entry fills it with the real services; unit tests fill it with fakes.
#pragma once

#include "CursorDisplay.h"
#include "FolderCreator.h"
#include "MessageBoxService.h"
#include "ProgramEnd.h"
#include "ProgramInfo.h"
#include "ProgramStarter.h"
#include "WindowLookup.h"

namespace quillaro {

struct SaverServices {
    const ProgramInfo& program;
    WindowLookup& windows;
    CursorDisplay& cursor;
    FolderCreator createPrivateFolder; // the real one: platform/PrivateFolderCreator.h
    MessageBoxService& messages;
    ProgramStarter& programs;
    ProgramEnd& end;
};

} // namespace quillaro
