// The preview's set-up over a fake host: the order of its steps, the sizes it gives the form and
// Img_Prev, its end. The program-level test covers the hosts that are no hosts.
#include "preview/Lumivane_R.h"

#include "FakeSaverServices.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <map>

using namespace quillaro;
using namespace quillaro::test;

namespace {

struct FakeHosts : HostWindows {
    Log& log;
    std::map<WindowId, PixelSize> windows{{77, {300, 200}}, {78, {2185, 112}}};
    bool adoptWorks = true;
    std::function<void()> onDestroyed;
    explicit FakeHosts(Log& l) : log(l) {}

    std::optional<PixelSize> insideSize(WindowId window) override {
        log.push_back("size " + std::to_string(window));
        auto found = windows.find(window);
        return found == windows.end() ? std::nullopt : std::optional(found->second);
    }
    Result<void, HostWindowError> watchDestruction(WindowId window,
                                                   std::function<void()> callback) override {
        log.push_back("watch " + std::to_string(window));
        onDestroyed = std::move(callback);
        return {};
    }
    Result<void, HostWindowError> adopt(WindowId child, WindowId parent) override {
        const QWidget* form = QWidget::find(child);
        log.push_back("adopt into " + std::to_string(parent) +
                      (form && !form->isVisible() ? " while hidden" : ""));
        if (!adoptWorks)
            return failure(
                HostWindowError{"cannot move the preview into the window", parent, "BadWindow"});
        return {};
    }
};

class PreviewSetUp : public ::testing::Test {
protected:
    Log log;
    FakeEnd end{log};
    FakeHosts* hosts = nullptr;

    void SetUp() override {
        static int argc = 1;
        static char name[] = "Lumivane_RTest";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv); // QWidget needs one; no display is involved
    }
    std::unique_ptr<Lumivane_R> setUp(std::int32_t handle, bool adoptWorks = true) {
        log.clear();
        auto fake = std::make_unique<FakeHosts>(log);
        fake->adoptWorks = adoptWorks;
        hosts = fake.get(); // lives as long as the form it is handed to
        return Lumivane_R::setUp(end, std::move(fake), handle);
    }
};

} // namespace

TEST_F(PreviewSetUp, MovesIntoTheHostWhileHiddenThenShowsAtItsSizeUntilItGoes) {
    auto form = setUp(77);
    ASSERT_TRUE(form);
    EXPECT_EQ(log, (Log{"size 77", "watch 77", "adopt into 77 while hidden"}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Preview Window");
    EXPECT_EQ(form->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(form->Img_Prev().geometry(), QRect(0, 0, 300, 200));

    hosts->onDestroyed();
    hosts->onDestroyed(); // a second word of the same end changes nothing
    EXPECT_EQ(log.back(), "end 0");
    EXPECT_EQ(std::count(log.begin(), log.end(), "end 0"), 1);

    // 2185 pixels are 32775 twips, more than 16 bits hold: that side stays 0.
    form = setUp(78);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->geometry(), QRect(0, 0, 0, 112));

    // A host that went between the size and the move: nothing is shown, Main ends the program.
    EXPECT_FALSE(setUp(77, false));
    EXPECT_EQ(log, (Log{"size 77", "watch 77", "adopt into 77 while hidden"}));
}

// Runs in Lumivane_RTestAtScaleTwo, where Qt's pixels are two of the X server's each way.
TEST_F(PreviewSetUp, AtScaleTwoDrawsTheStillAtItsOwnPixelsFromTheCorner) {
    if (qApp->devicePixelRatio() != 2)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    auto form = setUp(77); // 300 x 200 of the server's pixels
    ASSERT_TRUE(form);
    EXPECT_EQ(form->geometry(), QRect(0, 0, 150, 100));
    QImage shot = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.setDevicePixelRatio(1);
    ASSERT_EQ(shot.size(), QSize(300, 200));
    const QImage still = QImage(":/preview/Img_Prev.png").convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.copy(0, 0, 152, 112), still);
    EXPECT_EQ(shot.pixel(200, 150), qRgb(0, 0, 0)); // beyond the still, the black form
}
