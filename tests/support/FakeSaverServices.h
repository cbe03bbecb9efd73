// Fakes of the saver's platform services for unit tests of its logic: each records what was
// asked of it in one shared log, so a test can check the order of the steps as well as the
// steps themselves.
#pragma once

#include "platform/SaverServices.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillaro::test {

using Log = std::vector<std::string>;

struct FakeWindows : WindowLookup {
    Log& log;
    std::set<std::string> present;
    explicit FakeWindows(Log& l) : log(l) {}
    WindowId findWindow(std::string_view title) override {
        log.push_back("find " + std::string(title));
        return present.count(std::string(title)) ? 0x400001 : 0;
    }
};

struct FakeCursor : CursorDisplay {
    Log& log;
    int counter = 0;
    explicit FakeCursor(Log& l) : log(l) {}
    int showCursor(bool show) override {
        log.push_back(show ? "show cursor" : "hide cursor");
        counter += show ? 1 : -1;
        return counter;
    }
};

struct FakeFolders {
    Log& log;
    std::filesystem::path created;
    bool result = false;            // a folder that cannot be made, unless a test says otherwise
    std::function<void()> onCreate; // lets a test look at the moment of the call
    explicit FakeFolders(Log& l) : log(l) {}
    Result<void, SystemError> create(const std::filesystem::path& folder) {
        log.push_back("folder");
        created = folder;
        if (onCreate)
            onCreate();
        if (!result)
            return systemFailure("cannot create the folder", folder, EACCES);
        return {};
    }
};

struct FakeMessages : MessageBoxService {
    Log& log;
    std::string caption, text;
    explicit FakeMessages(Log& l) : log(l) {}
    void showMessage(const std::string& c, const std::string& t) override {
        log.push_back("message");
        caption = c;
        text = t;
    }
};

struct FakePrograms : ProgramStarter {
    Log& log;
    std::vector<std::filesystem::path> started;
    std::optional<std::int64_t> pid; // what a start returns
    explicit FakePrograms(Log& l) : log(l) {}
    std::optional<std::int64_t> startProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& args) override {
        log.push_back("start program");
        started.push_back(program);
        argsSeen = args;
        if (onStart)
            onStart();
        return pid;
    }
    bool isRunning(std::int64_t) override { return running; }
    std::optional<int> waitStatus(std::int64_t) override {
        return running ? std::nullopt : std::optional<int>(0);
    }
    void stopProgram(std::int64_t pid) override {
        log.push_back("stop program " + std::to_string(pid));
    }
    void killProgram(std::int64_t pid) override {
        log.push_back("kill program " + std::to_string(pid));
    }
    std::vector<std::string> argsSeen;
    bool running = true;           // whether the started program is still there
    std::function<void()> onStart; // runs inside a start, to see what had happened by then
};

struct FakeEnd : ProgramEnd {
    Log& log;
    explicit FakeEnd(Log& l) : log(l) {}
    void endProgram(int exitCode) override { log.push_back("end " + std::to_string(exitCode)); }
};

// All of them at once, with the program's folder and command line.
struct FakeSaverServices {
    Log log;
    ProgramInfo program;
    FakeWindows windows{log};
    FakeCursor cursor{log};
    FakeFolders folders{log};
    FakeMessages messages{log};
    FakePrograms programs{log};
    FakeEnd end{log};
    SaverServices services{
        program,  windows,  cursor, [this](const auto& folder) { return folders.create(folder); },
        messages, programs, end};
};

} // namespace quillaro::test
