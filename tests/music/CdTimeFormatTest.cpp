// Positions of the cdaudio device as text in its three time formats, read and written.
#include "music/mci/CdTimeFormat.h"

#include "MciSession.h"
#include "music/mci/MciErrors.h"

#include <gtest/gtest.h>

using namespace quillaro;
using quillaro::test::discOf;
using quillaro::test::mixedDisc;

TEST(CdTimeFormatTest, ReadsShortenedPositionsInEachFormat) {
    quillaro::test::FakeCdDrive drive;
    const CdToc& toc = drive.toc();
    auto read = [&](std::string_view text, CdTimeFormatKind kind) {
        const auto sector = CdTimeFormat::parse(text, kind, toc);
        return sector ? *sector : -sector.error();
    };
    using K = CdTimeFormatKind;
    EXPECT_EQ(read("3", K::Tmsf), 2500);
    EXPECT_EQ(read("03:00:00:00", K::Tmsf), 2500);
    EXPECT_EQ(read("2:0:10", K::Tmsf), 1000 + 10 * 75);
    EXPECT_EQ(read("1:1", K::Tmsf), -mci_error::OutOfRange) << "past the end of the disc";
    EXPECT_EQ(read("2:0:2:50", K::Tmsf), 1200);
    EXPECT_EQ(read("0:2:0", K::Msf), 0);
    EXPECT_EQ(read("0:35:25", K::Msf), 2500);
    EXPECT_EQ(read("2000", K::Milliseconds), 0);
    EXPECT_EQ(read("1999", K::Milliseconds), 0) << "the first sector that starts at or after it";
    EXPECT_EQ(read("1986", K::Milliseconds), -mci_error::OutOfRange) << "before the first track";
    EXPECT_EQ(read("3:0:13:25", K::Tmsf), 3500);
    EXPECT_EQ(read("3:0:20:0", K::Tmsf), 4000) << "the leadout ends a range";
    EXPECT_EQ(read("3:0:20:1", K::Tmsf), -mci_error::OutOfRange);
    for (std::string_view bad : {"", "256", "1:2:3:4:5", "a", "1::2", "-1", "1:"})
        EXPECT_EQ(read(bad, K::Tmsf), -mci_error::BadInteger) << bad;
    EXPECT_EQ(read("1:2:3:4", K::Msf), -mci_error::BadInteger);
}

TEST(CdTimeFormatTest, FormatsPositionsAndLengths) {
    quillaro::test::FakeCdDrive drive;
    const CdToc& toc = drive.toc();
    EXPECT_EQ(CdTimeFormat::format(2500, CdTimeFormatKind::Tmsf, toc), "03:00:00:00");
    EXPECT_EQ(CdTimeFormat::format(999, CdTimeFormatKind::Tmsf, toc), "01:00:13:24");
    EXPECT_EQ(CdTimeFormat::format(0, CdTimeFormatKind::Msf, toc), "00:02:00");
    EXPECT_EQ(CdTimeFormat::format(0, CdTimeFormatKind::Milliseconds, toc), "2000");
    EXPECT_EQ(CdTimeFormat::format(75 * 60 * 70, CdTimeFormatKind::Msf, toc), "70:02:00");
    EXPECT_EQ(CdTimeFormat::formatLength(1500, CdTimeFormatKind::Tmsf), "00:20:00");
    EXPECT_EQ(CdTimeFormat::formatLength(1500, CdTimeFormatKind::Milliseconds), "20000");
    EXPECT_EQ(CdTimeFormat::trackOf(4000, toc), 3);
}

TEST(CdTimeFormatTest, EveryPositionReadsBackAsTheSectorItWasFormattedFrom) {
    const CdToc discs[] = {quillaro::test::FakeCdDrive().toc(), mixedDisc(),
                           discOf({0, 1000, 13800}, {true, true, false}, 20000, 2400),
                           discOf({0, 75, 150}, {true, true, true}, 225)};
    for (const CdToc& toc : discs) {
        for (auto kind :
             {CdTimeFormatKind::Tmsf, CdTimeFormatKind::Msf, CdTimeFormatKind::Milliseconds}) {
            int wrong = 0;
            for (std::int32_t sector = 0; sector <= toc.leadout; ++sector) {
                const std::string text = CdTimeFormat::format(sector, kind, toc);
                const auto back = CdTimeFormat::parse(text, kind, toc);
                if (!back || *back != sector) {
                    ADD_FAILURE() << text << " was formatted from sector " << sector
                                  << " but reads as " << (back ? *back : -1);
                    if (++wrong == 3)
                        break;
                }
            }
        }
    }
}
