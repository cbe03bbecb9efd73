// Runs the real Quillaro.scr /p N on a private X server inside host windows that the test makes,
// as a settings program would, with and without a window manager, and looks at the screen.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "ChildProcess.h"
#include "FileText.h"
#include "HostWindow.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <QImage>
#include <X11/Xlib.h>
#include <thread>

using namespace quillaro::test;
using namespace std::chrono_literals;

namespace {

constexpr auto Timeout = 30s;

class PreviewProgram : public ::testing::Test {
protected:
    XvfbServer xvfb;
    TempDir dir;
    Display* d = XOpenDisplay(xvfb.display().c_str());
    QImage still = QImage(QUILLARO_SOURCE_DIR "/assets/preview/Img_Prev.png")
                       .convertToFormat(QImage::Format_RGB888);

    void SetUp() override {
        std::filesystem::create_directories(dir / "runtime");
        std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
    }
    void TearDown() override { XCloseDisplay(d); }

    ChildProcess start(const std::string& handle) {
        ProcessOptions opts = xvfb.options({"/p", handle});
        opts.setEnv["XDG_CACHE_HOME"] = (dir / "cache").string();
        opts.setEnv["XDG_RUNTIME_DIR"] = (dir / "runtime").string();
        opts.stderrFile = dir / ("stderr-" + handle);
        return ChildProcess(std::filesystem::path(QUILLARO_BIN_DIR) / "Quillaro.scr", opts);
    }

    std::vector<Window> childrenOf(Window window) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        std::vector<Window> out;
        if (XQueryTree(d, window, &root, &parent, &children, &count) && children) {
            out.assign(children, children + count);
            XFree(children);
        }
        return out;
    }

    // The host's children once there are that many, all shown; none when the time is up.
    std::vector<Window> previewsIn(Window host, std::size_t count) {
        for (auto end = std::chrono::steady_clock::now() + Timeout;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms)) {
            auto children = childrenOf(host);
            XWindowAttributes a{};
            if (children.size() == count &&
                std::all_of(children.begin(), children.end(), [&](auto w) {
                    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
                }))
                return children;
        }
        return {};
    }

    // Pixels of the host's inside that are not the still at the top-left over black.
    int misdrawnPixels(const RgbImage& screen, Window host, int width, int height) {
        int left = 0, top = 0, wrong = 0;
        Window child = 0;
        XTranslateCoordinates(d, host, DefaultRootWindow(d), 0, 0, &left, &top, &child);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* seen = screen.at(left + x, top + y);
                const bool inStill = x < still.width() && y < still.height();
                for (int c = 0; c < 3; ++c)
                    wrong += seen[c] != (inStill ? still.constScanLine(y)[3 * x + c] : 0);
            }
        }
        return wrong;
    }

    void fillHostsOfEverySizeUntilTheyGo(const std::string& screenshot) {
        ASSERT_EQ(still.size(), QSize(152, 112));
        const QRect places[] = {{37, 21, 152, 112}, {400, 300, 300, 200}, {760, 560, 100, 60}};
        std::vector<std::unique_ptr<HostWindow>> hosts;
        std::vector<ChildProcess> savers;
        for (const QRect& p : places) {
            hosts.push_back(
                std::make_unique<HostWindow>(xvfb.display(), p.x(), p.y(), p.width(), p.height()));
            savers.push_back(start(std::to_string(hosts.back()->id())));
        }
        ChildProcess second = start(std::to_string(hosts[0]->id())); // two in one host

        for (std::size_t i = 0; i < hosts.size(); ++i) {
            auto previews = previewsIn(hosts[i]->id(), i == 0 ? 2 : 1);
            ASSERT_FALSE(previews.empty()) << "host " << i;
            const auto titled = xvfb.findWindows("Preview Window");
            for (Window preview : previews) {
                XWindowAttributes a{};
                XGetWindowAttributes(d, preview, &a);
                EXPECT_EQ(QRect(a.x, a.y, a.width, a.height), QRect(QPoint(), places[i].size()));
                EXPECT_EQ(a.border_width, 0);
                EXPECT_EQ(std::count(titled.begin(), titled.end(), preview), 1);
            }
        }
        int wrong = -1;
        for (auto end = std::chrono::steady_clock::now() + Timeout;
             wrong != 0 && std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(100ms)) {
            RgbImage screen = xvfb.grabRoot();
            wrong = 0;
            for (std::size_t i = 0; i < hosts.size(); ++i)
                wrong +=
                    misdrawnPixels(screen, hosts[i]->id(), places[i].width(), places[i].height());
        }
        EXPECT_EQ(wrong, 0);
        XvfbServer::savePng(xvfb.grabRoot(), screenshot);

        // The size was read once: a host that grows keeps the preview's first size.
        hosts[1]->resize(500, 400);
        std::this_thread::sleep_for(300ms);
        XWindowAttributes a{};
        XGetWindowAttributes(d, childrenOf(hosts[1]->id()).at(0), &a);
        EXPECT_EQ(QSize(a.width, a.height), QSize(300, 200));

        for (std::size_t i = 0; i < hosts.size(); ++i) {
            const std::string handle = std::to_string(hosts[i]->id());
            hosts[i]->destroy();
            for (ChildProcess* saver :
                 i == 0 ? std::vector{&savers[0], &second} : std::vector{&savers[i]}) {
                auto status = saver->waitFor(Timeout);
                ASSERT_TRUE(status) << "host " << i << " has gone, its preview stays";
                EXPECT_TRUE(status->exited && status->code == 0) << i;
                EXPECT_EQ(readFile(dir / ("stderr-" + handle)), "");
            }
            for (std::size_t j = i + 1; j < hosts.size(); ++j)
                EXPECT_TRUE(savers[j].running()) << "host " << j << " is still there";
        }
    }
};

} // namespace

TEST_F(PreviewProgram, FillsHostsOfEverySizeWithTheStillUntilTheyGo) {
    fillHostsOfEverySizeUntilTheyGo("PreviewProgram-hosts.png");
}

TEST_F(PreviewProgram, AWindowManagerNeverSeesThePreview) {
    ProcessOptions quiet = xvfb.options();
    quiet.stderrFile = "/dev/null";
    ChildProcess manager("openbox", quiet);
    const Atom screenManager = XInternAtom(d, "WM_S0", False);
    for (auto end = std::chrono::steady_clock::now() + Timeout;
         !XGetSelectionOwner(d, screenManager) && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(50ms);
    ASSERT_NE(XGetSelectionOwner(d, screenManager), 0u) << "openbox did not start";
    fillHostsOfEverySizeUntilTheyGo("PreviewProgram-hosts-openbox.png");
}

TEST_F(PreviewProgram, EndsAtOnceShowingNothingWithoutAHostToLiveIn) {
    HostWindow gone(xvfb.display(), 10, 10, 152, 112);
    const std::string goneId = std::to_string(gone.id());
    gone.destroy();
    HostWindow inputOnly(xvfb.display(), 200, 10, 152, 112, true); // can hold no picture
    // Every window mapped on the screen from here on is reported.
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, True);

    for (const std::string& handle :
         {std::string("0"), std::string("-5"), std::to_string(DefaultRootWindow(d)), goneId,
          std::to_string(inputOnly.id())}) {
        auto status = start(handle).waitFor(Timeout);
        ASSERT_TRUE(status) << handle;
        EXPECT_TRUE(status->exited && status->code == 0) << handle;
        EXPECT_EQ(readFile(dir / ("stderr-" + handle)), "") << handle;
    }
    XSync(d, False);
    int mapped = 0;
    for (XEvent e; XPending(d);)
        mapped += XNextEvent(d, &e) == 0 && e.type == MapNotify;
    EXPECT_EQ(mapped, 0);
    EXPECT_TRUE(childrenOf(inputOnly.id()).empty());
}
