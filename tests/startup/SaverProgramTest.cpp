// Runs the real Quillaro.scr on a private X server, copied into a folder of its own as an
// installation would be, with its working folder under a temporary cache folder.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "ChildProcess.h"
#include "FileText.h"
#include "HostWindow.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fstream>
#include <sstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quillaro::test;
using namespace std::chrono_literals;

namespace {

constexpr auto ProgramTimeout = 60s;
constexpr const char* BoxCaption = "Quillaro (ScreenSaver)";
constexpr const char* RendererMissing = "Quillaro.dll が同じﾌｫﾙﾀﾞに見つかりません！";

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An unmapped window of another client with a given title, as another instance would leave.
class TitledWindow {
public:
    TitledWindow(const std::string& display, const std::string& title, bool netWmName) {
        display_ = XOpenDisplay(display.c_str());
        if (!display_)
            throw std::runtime_error("cannot open " + display);
        Window w =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
        Atom property = netWmName ? XInternAtom(display_, "_NET_WM_NAME", False) : XA_WM_NAME;
        Atom type = netWmName ? XInternAtom(display_, "UTF8_STRING", False) : XA_STRING;
        XChangeProperty(display_, w, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
        XSync(display_, False);
    }
    ~TitledWindow() { XCloseDisplay(display_); }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;

private:
    Display* display_ = nullptr;
};

// Watches a folder for files being opened or created in it.
class FolderWatch {
public:
    explicit FolderWatch(const std::filesystem::path& folder) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0 || inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_CREATE) < 0)
            throw std::runtime_error("inotify failed for " + folder.string());
    }
    ~FolderWatch() { close(fd_); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Names touched since the last call, each as "open NAME" or "create NAME".
    std::vector<std::string> drain() {
        std::vector<std::string> seen;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                return seen;
            for (char* p = buffer; p < buffer + n;) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                std::string name = event->len ? event->name : "";
                if (event->mask & IN_OPEN)
                    seen.push_back("open " + name);
                if (event->mask & IN_CREATE)
                    seen.push_back("create " + name);
                p += sizeof(inotify_event) + event->len;
            }
        }
    }

private:
    int fd_ = -1;
};

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class SaverProgram : public ::testing::Test {
protected:
    XvfbServer xvfb;
    TempDir dir;
    std::filesystem::path programFolder = dir / "installed";
    std::filesystem::path cache = dir / "cache";
    std::filesystem::path workingFolder = cache / "v_kord";
    std::filesystem::path stderrFile = dir / "stderr.txt";

    void SetUp() override {
        std::filesystem::create_directories(programFolder);
        std::filesystem::create_directories(cache);
        std::filesystem::create_directories(dir / "runtime");
        std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
        std::filesystem::copy_file(std::filesystem::path(QUILLARO_BIN_DIR) / "Quillaro.scr",
                                   programFolder / "Quillaro.scr");
    }

    void addRenderer() { std::ofstream(programFolder / "Quillaro.dll") << "renderer"; }

    ProcessOptions options(std::vector<std::string> args) {
        ProcessOptions opts = xvfb.options(std::move(args));
        opts.setEnv["XDG_CACHE_HOME"] = cache.string();
        opts.setEnv["XDG_RUNTIME_DIR"] = (dir / "runtime").string();
        opts.stderrFile = stderrFile;
        return opts;
    }

    ChildProcess start(std::vector<std::string> args) {
        return ChildProcess(programFolder / "Quillaro.scr", options(std::move(args)));
    }

    // Runs the saver to its end and returns how it ended.
    ExitStatus run(std::vector<std::string> args) {
        ChildProcess saver = start(std::move(args));
        auto status = saver.waitFor(ProgramTimeout);
        if (!status)
            throw std::runtime_error("Quillaro.scr did not end");
        return *status;
    }

    std::string clipboard() {
        ExitStatus status;
        return runAndCapture("xclip", xvfb.options({"-o", "-selection", "clipboard"}), 20s,
                             &status);
    }

    // Copies the message box's text with Ctrl+C, as a user would, and reads it back.
    std::string copyMessageBoxText(unsigned long box) {
        auto deadline = std::chrono::steady_clock::now() + ProgramTimeout;
        std::string text;
        while (std::chrono::steady_clock::now() < deadline) {
            xvfb.xdotool({"windowfocus", "--sync", std::to_string(box)});
            xvfb.xdotool({"key", "--clearmodifiers", "ctrl+c"});
            text = clipboard();
            if (text.find(RendererMissing) != std::string::npos)
                return text;
            std::this_thread::sleep_for(200ms);
        }
        return text;
    }
};

} // namespace

TEST_F(SaverProgram, AnotherInstanceEndsEveryModeSilentlyAndCreatesNothing) {
    // The renderer is absent too: a start that got past the guard would show its message box
    // and never end by itself, and a preview would live on in its host.
    HostWindow host(xvfb.display(), 20, 20, 152, 112);
    const std::pair<const char*, bool> markers[] = {{"<Quillaro>", true}, {"Lumivane_Main", false}};
    for (const auto& [title, netWmName] : markers) {
        TitledWindow marker(xvfb.display(), title, netWmName);
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"/s"}, {"/c"}, {"/p", std::to_string(host.id())}, {}}) {
            ExitStatus status = run(args);
            std::string line = title + std::string(" ") + (args.empty() ? "" : args[0]);
            EXPECT_TRUE(status.exited) << line;
            EXPECT_EQ(status.code, 0) << line;
            EXPECT_EQ(readFile(stderrFile), "") << line;
            EXPECT_FALSE(std::filesystem::exists(workingFolder)) << line;
            EXPECT_EQ(namesIn(programFolder), std::vector<std::string>{"Quillaro.scr"}) << line;
        }
        // Asked to tell, the start says on one line what was up.
        ProcessOptions verbose = options({"/s"});
        verbose.setEnv["QUILLARO_VERBOSE"] = "1";
        ChildProcess saver(programFolder / "Quillaro.scr", verbose);
        ASSERT_TRUE(saver.waitFor(ProgramTimeout));
        EXPECT_EQ(readFile(stderrFile),
                  std::string("Quillaro.scr: ") + (netWmName ? "the settings dialog" : "a run") +
                      " is already up (window \"" + title + "\"); this start ends\n");
    }
}

TEST_F(SaverProgram, MissingRendererShowsTheMessageBoxThenEnds) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"/s"}, {"/c"}, {}}) {
        std::string line = args.empty() ? "(empty)" : args[0];
        std::filesystem::remove_all(workingFolder);
        ChildProcess saver = start(args);
        ASSERT_TRUE(xvfb.waitForWindow(BoxCaption, ProgramTimeout)) << line;
        auto boxes = xvfb.findWindows(BoxCaption);
        ASSERT_FALSE(boxes.empty());

        std::string copied = copyMessageBoxText(boxes.front());
        EXPECT_NE(copied.find(std::string("\n") + BoxCaption + "\n"), std::string::npos)
            << line << ": " << copied;
        EXPECT_NE(copied.find(std::string("\n") + RendererMissing + "\n"), std::string::npos)
            << line << ": " << copied;
        if (args == std::vector<std::string>{"/s"})
            XvfbServer::savePng(xvfb.grabRoot(), "SaverProgram-renderer-missing.png");
        EXPECT_TRUE(saver.running()) << "the box waits for its OK: " << line;

        xvfb.xdotool({"windowfocus", "--sync", std::to_string(boxes.front())});
        xvfb.xdotool({"key", "Return"});
        auto status = saver.waitFor(ProgramTimeout);
        ASSERT_TRUE(status.has_value()) << line;
        EXPECT_TRUE(status->exited) << line;
        EXPECT_NE(status->code, 0) << line;
        EXPECT_TRUE(xvfb.findWindows(BoxCaption).empty()) << line;
        // And one line for a terminal or a log, naming where the renderer was looked for.
        EXPECT_EQ(readFile(stderrFile), "Quillaro.scr: the renderer " +
                                            (programFolder / "Quillaro.dll").string() +
                                            " was not found beside the saver\n")
            << line;

        struct stat info {};
        ASSERT_EQ(lstat(workingFolder.c_str(), &info), 0) << line;
        EXPECT_TRUE(S_ISDIR(info.st_mode)) << line;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << line;
    }
}

TEST_F(SaverProgram, OneLetterCommandLineEndsSilentlyAfterTheCheck) {
    addRenderer();
    // A long command line of many arguments too (one argument may not exceed 128 KiB).
    std::vector<std::string> longLine{"/x"};
    longLine.insert(longLine.end(), 20000, "0123456789");
    for (const auto& args : std::vector<std::vector<std::string>>{{"s"}, {"/x"}, longLine}) {
        std::filesystem::remove_all(workingFolder);
        ExitStatus status = run(args);
        EXPECT_TRUE(status.exited);
        EXPECT_EQ(status.code, 0);
        EXPECT_EQ(readFile(stderrFile), "");
        EXPECT_TRUE(std::filesystem::is_directory(workingFolder));
        EXPECT_TRUE(xvfb.findWindows(BoxCaption).empty());
    }
}

TEST_F(SaverProgram, PreviewTouchesNeitherWorkingFolderNorSettingsFile) {
    addRenderer();
    std::ofstream(programFolder / "Quillaro.ini") << "[Section]\nBGM区分=1\n";
    FolderWatch programWatch(programFolder);
    FolderWatch cacheWatch(cache);

    // The watch sees a start that does read the settings and make the folder.
    ASSERT_EQ(run({"/x"}).code, 0);
    EXPECT_TRUE(contains(programWatch.drain(), "open Quillaro.ini"));
    EXPECT_TRUE(contains(cacheWatch.drain(), "create v_kord"));
    std::filesystem::remove_all(workingFolder);
    cacheWatch.drain();

    // A preview that lives in its host until the host goes, then starts that end at once.
    HostWindow host(xvfb.display(), 20, 20, 152, 112);
    const std::string live = std::to_string(host.id());
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"/p", live}, {"/p", "1234"}, {"/p:77"}, {"/p"}}) {
        ChildProcess saver = start(args);
        if (args.back() == live) {
            ASSERT_TRUE(xvfb.waitForWindow("Preview Window", ProgramTimeout));
            host.destroy();
        }
        auto status = saver.waitFor(ProgramTimeout);
        ASSERT_TRUE(status.has_value()) << args[0];
        EXPECT_TRUE(status->exited);
        EXPECT_EQ(status->code, 0);
        auto touched = programWatch.drain();
        EXPECT_FALSE(contains(touched, "open Quillaro.ini")) << args[0];
        EXPECT_FALSE(contains(touched, "open Quillaro.dll")) << args[0];
        EXPECT_TRUE(contains(touched, "open Quillaro.scr")) << "the watch is alive";
        EXPECT_TRUE(cacheWatch.drain().empty()) << args[0];
        EXPECT_FALSE(std::filesystem::exists(workingFolder));
    }
}

TEST_F(SaverProgram, WithoutADisplayItSaysSoOnOneLineAndFails) {
    addRenderer();
    for (const char* display : {"", ":32761"}) {
        ProcessOptions opts = options({"/s"});
        opts.unsetEnv = {"WAYLAND_DISPLAY"};
        if (*display)
            opts.setEnv["DISPLAY"] = display;
        else {
            opts.setEnv.erase("DISPLAY");
            opts.unsetEnv.push_back("DISPLAY");
        }
        ChildProcess saver(programFolder / "Quillaro.scr", opts);
        auto status = saver.waitFor(ProgramTimeout);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(status->exited) << "ended by signal " << status->signal;
        EXPECT_NE(status->code, 0);
        std::string err = readFile(stderrFile);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("X display"), std::string::npos) << err;
        EXPECT_FALSE(std::filesystem::exists(workingFolder));
    }
}

TEST_F(SaverProgram, HelpPrintsTheModesAndWhereThingsAreAndCreatesNothing) {
    std::ofstream(programFolder / "README.md") << "# Quillaro\n";
    for (const char* option : {"--help", "-h"}) {
        ProcessOptions opts = options({option});
        opts.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"}; // usage needs no display
        opts.setEnv.erase("DISPLAY");
        ExitStatus status;
        const std::string out = runAndCapture(programFolder / "Quillaro.scr", opts, 20s, &status);
        EXPECT_TRUE(status.exited && status.code == 0) << option;
        for (const std::string& part :
             {std::string("Usage: Quillaro.scr [/s | /c | /p N]\n"), std::string("  /c  "),
              std::string("  --xscreensaver\n"),
              "Settings: " + (programFolder / "Quillaro.ini").string() + "\n",
              "Read me:  " + (programFolder / "README.md").string() + "\n"})
            EXPECT_NE(out.find(part), std::string::npos) << option << " lacks " << part << out;
        EXPECT_EQ(readFile(stderrFile), "") << option;
        EXPECT_FALSE(std::filesystem::exists(workingFolder)) << option;
        EXPECT_EQ(namesIn(programFolder), (std::vector<std::string>{"Quillaro.scr", "README.md"}));
    }
    ExitStatus status;
    EXPECT_EQ(runAndCapture(programFolder / "Quillaro.scr", options({"--version"}), 20s, &status),
              "Quillaro " QUILLARO_VERSION "\n");
    EXPECT_TRUE(status.exited && status.code == 0);
}
