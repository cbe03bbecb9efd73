// GoogleTest and Qt come before Xlib, whose None and Bool macros would break their headers.
// clang-format off
#include <gtest/gtest.h>
#include "platform/XZoomEffect.h"
// clang-format on
#include "XvfbServer.h"
#include "platform/DisplayCheck.h"
#include "platform/XConnection.h"
#include "platform/XCursorDisplay.h"
#include "platform/XErrorTrap.h"
#include "platform/XWindowLookup.h"
#include "platform/XcbReply.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

using namespace quillaro;
using quillaro::test::XvfbServer;

// A reply frees its memory when it goes: a copy would free it twice.
static_assert(!std::is_copy_constructible_v<XcbReply<xcb_query_tree_reply_t>> &&
              !std::is_copy_assignable_v<XcbReply<xcb_query_tree_reply_t>>);

namespace {

// A client of its own that makes windows for the lookup to find; all go when it closes.
class WindowMaker {
public:
    explicit WindowMaker(const std::string& display)
        : connection_(XConnection::open(display.c_str()).value()) {}
    Display* display() const { return connection_.display(); }

    Window make(Window parent = 0) {
        Window w = XCreateSimpleWindow(display(), parent ? parent : connection_.root(), 0, 0, 10,
                                       10, 0, 0, 0);
        XSync(display(), False);
        return w;
    }
    void setWmName(Window w, const std::string& bytes) {
        XChangeProperty(display(), w, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
        XSync(display(), False);
    }
    void setNetWmName(Window w, const std::string& utf8) {
        XChangeProperty(display(), w, XInternAtom(display(), "_NET_WM_NAME", False),
                        XInternAtom(display(), "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()),
                        static_cast<int>(utf8.size()));
        XSync(display(), False);
    }

private:
    XConnection connection_;
};

class XServices : public ::testing::Test {
protected:
    XvfbServer xvfb;
    WindowMaker maker{xvfb.display()};
    XWindowLookup lookup{xvfb.display().c_str()};
};

} // namespace

TEST_F(XServices, FindsUnmappedWindowsByWmNameOrNetWmName) {
    ASSERT_TRUE(lookup.connected());
    EXPECT_EQ(lookup.findWindow("Lumivane_VC"), 0u);
    Window renderer = maker.make();
    maker.setWmName(renderer, "Lumivane_VC");
    Window dialog = maker.make();
    maker.setNetWmName(dialog, "<Quillaro>");
    EXPECT_EQ(lookup.findWindow("Lumivane_VC"), renderer);
    EXPECT_EQ(lookup.findWindow("<Quillaro>"), dialog);
}

TEST_F(XServices, LooksThroughTheWholeTree) {
    Window frame = maker.make();
    Window inner = maker.make(maker.make(frame));
    maker.setNetWmName(inner, "Lumivane_Main");
    EXPECT_EQ(lookup.findWindow("Lumivane_Main"), inner);
    for (int i = 0; i < 300; ++i)
        maker.make(i % 2 ? frame : 0);
    Window last = maker.make(maker.make(maker.make(frame)));
    maker.setWmName(last, "Lumivane_VC");
    EXPECT_EQ(lookup.findWindow("Lumivane_VC"), last);
    EXPECT_GT(lookup.windowsVisited(), 300u);
}

TEST_F(XServices, TitlesMustMatchExactly) {
    Window w = maker.make();
    maker.setWmName(w, "Lumivane_Main");
    Window longer = maker.make();
    maker.setNetWmName(longer, "Lumivane_VC and more text after it");
    for (const char* other :
         {"Lumivane_Mai", "Lumivane_Main2", "lumivane_main", "Lumivane", "Lumivane_VC", ""})
        EXPECT_EQ(lookup.findWindow(other), 0u) << other;
    EXPECT_EQ(lookup.findWindow("Lumivane_VC and more text after it"), longer);
}

TEST_F(XServices, Latin1WmNameMatchesItsUtf8Form) {
    Window w = maker.make();
    maker.setWmName(w, "Caf\xe9");
    EXPECT_EQ(lookup.findWindow("Café"), w);
    EXPECT_EQ(lookup.findWindow("Caf\xe9"), 0u);
}

TEST_F(XServices, AgreesWithAnIndependentWalk) {
    Window a = maker.make(maker.make());
    maker.setNetWmName(a, "ｷｬﾌﾟﾁｬｰ");
    ASSERT_EQ(xvfb.findWindows("ｷｬﾌﾟﾁｬｰ").size(), 1u);
    EXPECT_EQ(lookup.findWindow("ｷｬﾌﾟﾁｬｰ"), xvfb.findWindows("ｷｬﾌﾟﾁｬｰ").front());
}

TEST_F(XServices, ADestroyedWindowIsGone) {
    Window w = maker.make();
    maker.setWmName(w, "Lumivane_VC");
    ASSERT_NE(lookup.findWindow("Lumivane_VC"), 0u);
    XDestroyWindow(maker.display(), w);
    XSync(maker.display(), False);
    EXPECT_EQ(lookup.findWindow("Lumivane_VC"), 0u);
}

TEST_F(XServices, OfManyMakingTheSameTitleAtOnceOnlyOneMakesIt) {
    std::vector<std::unique_ptr<XWindowLookup>> racers;
    for (int i = 0; i < 8; ++i)
        racers.push_back(std::make_unique<XWindowLookup>(xvfb.display().c_str()));
    std::vector<WindowId> made(racers.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < racers.size(); ++i)
        threads.emplace_back([&, i] { made[i] = racers[i]->makeUnlessFound("Lumivane_Main"); });
    for (auto& t : threads)
        t.join();
    const auto maker = std::find_if(made.begin(), made.end(), [](WindowId w) { return w != 0; });
    ASSERT_NE(maker, made.end());
    EXPECT_EQ(std::count(made.begin(), made.end(), 0u), 7);
    EXPECT_EQ(xvfb.findWindows("Lumivane_Main"), std::vector<unsigned long>{*maker});
    EXPECT_EQ(lookup.findWindow("Lumivane_Main"), *maker);
    // It goes with its maker's connection, and the title is free again.
    racers[maker - made.begin()].reset();
    // The server takes the window away once it has seen the connection close.
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (lookup.findWindow("Lumivane_Main") != 0 && std::chrono::steady_clock::now() < bound)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(lookup.makeUnlessFound("Lumivane_Main"), 0u);
}

TEST(XWindowLookupOffline, WithoutADisplayNothingIsFound) {
    XWindowLookup lookup(":32761");
    EXPECT_FALSE(lookup.connected());
    EXPECT_EQ(lookup.findWindow("Lumivane_VC"), 0u);
}

TEST_F(XServices, CursorCounterCountsAndTellsTheServerOnlyOnChange) {
    unsigned long errorsBefore = XErrorTrap::strayErrors();
    {
        XCursorDisplay cursor(xvfb.display().c_str());
        EXPECT_EQ(cursor.showCursor(false), -1);
        EXPECT_TRUE(cursor.hidden());
        EXPECT_EQ(cursor.showCursor(false), -2);
        EXPECT_EQ(cursor.showCursor(true), -1);
        EXPECT_TRUE(cursor.hidden());
        EXPECT_EQ(cursor.showCursor(true), 0);
        EXPECT_FALSE(cursor.hidden());
        // Showing past 0 must not reach the server: it would answer with an error.
        EXPECT_EQ(cursor.showCursor(true), 1);
        EXPECT_EQ(cursor.showCursor(true), 2);
        EXPECT_FALSE(cursor.hidden());
        EXPECT_EQ(cursor.showCursor(false), 1);
        EXPECT_EQ(cursor.showCursor(false), 0);
        EXPECT_FALSE(cursor.hidden());
        EXPECT_EQ(cursor.showCursor(false), -1);
        EXPECT_TRUE(cursor.hidden());
    } // destroyed while hidden: gives the pointer back
    EXPECT_EQ(XErrorTrap::strayErrors(), errorsBefore);
}

TEST_F(XServices, ErrorsOutsideATrapAreCountedAndErrorsInsideStayWithTheTrap) {
    const Window gone = maker.make();
    XDestroyWindow(maker.display(), gone);
    XSync(maker.display(), False);
    const unsigned long before = XErrorTrap::strayErrors();
    XMapWindow(maker.display(), gone);
    XSync(maker.display(), False);
    EXPECT_EQ(XErrorTrap::strayErrors(), before + 1) << "counted, and the program goes on";

    auto other = XConnection::open(xvfb.display().c_str());
    ASSERT_TRUE(other);
    {
        XErrorTrap trap(other->display());
        XMapWindow(other->display(), gone);
        EXPECT_TRUE(trap.failed());
        EXPECT_FALSE(trap.failed()) << "each failure is told once";
        XMapWindow(maker.display(), gone); // not the trap's display
        XSync(maker.display(), False);
        EXPECT_FALSE(trap.failed());
    }
    EXPECT_EQ(XErrorTrap::strayErrors(), before + 2);
}

TEST(XCursorDisplayOffline, CountsEvenWithoutADisplay) {
    XCursorDisplay cursor(":32761");
    EXPECT_EQ(cursor.showCursor(false), -1);
    EXPECT_EQ(cursor.showCursor(true), 0);
    EXPECT_FALSE(cursor.hidden());
}

TEST(DisplayCheck, NamesTheProblemOnOneLine) {
    const char* old = std::getenv("DISPLAY");
    std::string saved = old ? old : "";
    unsetenv("DISPLAY");
    auto unset = displayProblem();
    setenv("DISPLAY", ":32761", 1);
    auto unreachable = displayProblem();
    {
        XvfbServer xvfb;
        setenv("DISPLAY", xvfb.display().c_str(), 1);
        EXPECT_FALSE(displayProblem().has_value());
    }
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");

    ASSERT_TRUE(unset.has_value());
    EXPECT_NE(unset->find("DISPLAY is not set"), std::string::npos);
    ASSERT_TRUE(unreachable.has_value());
    EXPECT_NE(unreachable->find("\":32761\""), std::string::npos);
    EXPECT_EQ(unreachable->find('\n'), std::string::npos);
}

TEST_F(XServices, ZoomShowsOutlinesOverTheScreenAndLeavesNothingBehind) {
    const std::vector<QRect> frames = XZoomEffect::frames({500, 400, 0, 0}, {315, 123, 393, 400});
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(XZoomEffect::Frames));
    EXPECT_EQ(frames.back(), QRect(315, 123, 393, 400));
    EXPECT_GT(frames.front().width(), 0);
    EXPECT_LT(frames.front().width(), 393);

    // A picture on the screen, so that every outline changes what is seen.
    quillaro::test::RgbImage desktop{1024, 768, std::vector<std::uint8_t>(1024 * 768 * 3)};
    for (std::size_t i = 0; i < desktop.rgb.size(); ++i)
        desktop.rgb[i] = static_cast<std::uint8_t>(i * 7 / 3);
    xvfb.setRootPicture(desktop);
    const auto before = xvfb.grabRoot().rgb;

    // Another client looks at the screen all the while the zoom plays.
    std::atomic<bool> started{false}, played{false};
    int changedLooks = 0;
    std::thread watcher([&] {
        for (;;) {
            const bool last = played;
            changedLooks += xvfb.grabRoot().rgb != before;
            started = true;
            if (last)
                return;
        }
    });
    while (!started)
        std::this_thread::yield();
    XZoomEffect(xvfb.display().c_str()).zoom({500, 400, 0, 0}, {315, 123, 393, 400});
    played = true;
    watcher.join();
    EXPECT_GT(changedLooks, 0) << "no outline was ever seen";
    EXPECT_TRUE(xvfb.grabRoot().rgb == before) << "the zoom left marks on the screen";
}
