// The lines the saver writes on standard error, each "Quillaro.scr: " and one sentence. In normal
// use the saver is silent: only a missing renderer (beside its message box) and a settings save
// that failed are always reported.
// The fallbacks it takes quietly (settings file missing, picture not loadable, music not playable,
// working folder refused) are told too when QUILLARO_VERBOSE=1 is in its environment, so a user
// can find out why the floor is black or the music silent.
#pragma once

#include <string_view>

namespace quillaro {

inline constexpr const char* VerboseVariable = "QUILLARO_VERBOSE";

// Always written.
void reportProblem(std::string_view sentence);
// Written only when QUILLARO_VERBOSE is "1".
void reportFallback(std::string_view sentence);
// True when QUILLARO_VERBOSE is "1" (read at each call; the environment does not change).
bool reportsFallbacks();

} // namespace quillaro
