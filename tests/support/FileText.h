// Whole files as byte strings, for tests that write inputs and compare outputs byte for byte.
#pragma once

#include <filesystem>
#include <string>

namespace quillaro::test {

// Replaces the file with exactly these bytes; throws when it cannot.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

} // namespace quillaro::test
