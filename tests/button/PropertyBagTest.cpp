// Stored properties: the bag's keys and defaults, and a push button written to a bag and made
// again from it, as the host keeps the dialog's buttons.
#include "button/PropertyBag.h"

#include "ButtonHarness.h"

using namespace quillaro;
using namespace quillaro::test;

namespace {

TEST(PropertyBag, KeysIgnoreCaseAndDefaultsAreNeitherStoredNorKept) {
    PropertyBag bag;
    bag.write("Caption", "設定", "Command");
    bag.write("Visible", 1, 1);
    EXPECT_EQ(bag.keys(), QStringList{"Caption"});
    EXPECT_EQ(bag.read("CAPTION", "Command1").toString(), "設定");
    EXPECT_EQ(bag.read("visible", 1).toInt(), 1);
    bag.write("caption", "ｷｬﾝｾﾙ", "Command"); // same key, spelling kept
    EXPECT_EQ(bag.keys(), QStringList{"Caption"});
    EXPECT_EQ(bag.read("caption", {}).toString(), "ｷｬﾝｾﾙ");
    bag.write("CAPTION", "Command", "Command"); // back to the default: no longer stored
    EXPECT_FALSE(bag.contains("Caption"));
}

class StoredCommandTest : public ButtonHarness {};

TEST_F(StoredCommandTest, WrittenAndReadBackThroughABag) {
    Command& plain = addButton();
    plain.Caption("Command");
    PropertyBag defaults;
    plain.Font(window.font()); // the host's ambient font
    plain.WriteProperties(defaults);
    EXPECT_TRUE(defaults.keys().isEmpty()); // every value at its default
    EXPECT_EQ(Command(defaults, &window, pointer).Caption(), "Command1");

    Command& changed = addButton();
    changed.Caption("ｷｬﾝｾﾙ");
    changed.FontColour(0x00FF8040);
    changed.Visible(0);
    changed.Enabled(false);
    EXPECT_TRUE(changed.propertiesChanged());
    PropertyBag bag;
    changed.WriteProperties(bag);
    EXPECT_FALSE(changed.propertiesChanged());
    EXPECT_EQ(bag.keys(), (QStringList{"Enabled", "Caption", "Font", "FontColour", "Visible"}));
    Command again(bag, &window, pointer);
    EXPECT_EQ(again.Caption(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(again.Font(), Command::CaptionFont());
    EXPECT_EQ(again.FontColour(), 0x00FF8040u);
    EXPECT_EQ(again.Visible(), 0);
    EXPECT_EQ(again.lastPainted(), Command::FacePicture::Disable);
    EXPECT_FALSE(again.Enabled());

    // Values that do not fit their property are skipped; the rest is read.
    PropertyBag odd;
    odd.write("FontColour", -1, 0);
    odd.write("Visible", 5, 1);
    odd.write("FirstRun", 300, 1);
    odd.write("Caption", "x", "Command1");
    Command skipped(odd, &window, pointer);
    EXPECT_EQ(skipped.Caption(), "x");
    EXPECT_EQ(skipped.FontColour(), 0u);
    EXPECT_EQ(skipped.Visible(), 255);
}

TEST_F(StoredCommandTest, DialogBagsGiveSizedCaptionedButtonsAndFreshOnesSetUpOnFirstRead) {
    const PropertyBag bag = Command::StoredInstance("設定", {81, 25});
    EXPECT_EQ(bag.keys(), (QStringList{"caption", "font", "_extentx", "_extenty"}));
    EXPECT_EQ(bag.read("_extentx", {}).toInt(), 2143);
    EXPECT_EQ(bag.read("_extenty", {}).toInt(), 661);
    Command button(bag, &window, pointer);
    EXPECT_EQ(button.size(), QSize(81, 25));
    EXPECT_EQ(button.Caption(), "設定");
    EXPECT_EQ(button.Font().family(), "IPAPGothic");
    EXPECT_EQ(button.Font().pixelSize(), 13);
    EXPECT_EQ(button.lastPainted(), Command::FacePicture::Normal);
    EXPECT_EQ(Command::pixelsFromExtent(Command::extentFromPixels(29)), 29);

    Command fresh(&window, pointer);
    EXPECT_EQ(fresh.Caption(), "Command");
    EXPECT_EQ(fresh.state(), Command::FaceState::Unset);
    fresh.FontColour(0x0000FF);
    EXPECT_TRUE(fresh.face().empty()); // disabled and never set up: nothing painted
    EXPECT_TRUE(fresh.readEnabled());  // the host's first read sets it up
    EXPECT_EQ(fresh.lastPainted(), Command::FacePicture::Normal);
    EXPECT_TRUE(fresh.LblMsg().isEnabled());
}

} // namespace
