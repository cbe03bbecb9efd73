// Reading the sound sectors of a disc image, plainly and through paranoia.
#include "music/cd/CdSectorReader.h"

#include "MusicPlayback.h"

#include <cdio/cdio.h>
#include <gtest/gtest.h>

using namespace quillaro;
using namespace quillaro::test;

TEST(CdSectorReader, BothReadersGiveTheDiscsSamplesAsWritten) {
    TempDir dir;
    auto tracks = discTracks();
    auto cue = writeCdImage(dir.path(), tracks);
    CdIo_t* cdio = cdio_open(cue.c_str(), DRIVER_UNKNOWN);
    ASSERT_NE(cdio, nullptr);
    const lsn_t start = cdio_get_track_lsn(cdio, 2);
    const int count = static_cast<int>(tracks[1].size() / CdSectorReader::SectorSamples);
    {
        auto plain = CdSectorReader::plain(cdio);
        auto paranoia = CdSectorReader::paranoia(cdio);
        ASSERT_TRUE(paranoia) << "paranoia takes the image on";
        for (CdSectorReader* reader : {plain.get(), paranoia.get()}) {
            Samples read(static_cast<std::size_t>(count) * CdSectorReader::SectorSamples);
            // Two reads with a jump back in between, as a restart of the track does.
            ASSERT_TRUE(reader->read(start + 10, 5, read.data()));
            ASSERT_TRUE(reader->read(start, count, read.data()));
            read.resize(tracks[1].size());
            EXPECT_TRUE(read == tracks[1]) << (reader == plain.get() ? "plain" : "paranoia");
        }
        Samples beyond(CdSectorReader::SectorSamples * 4);
        const lsn_t leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
        EXPECT_FALSE(plain->read(leadout + 100, 4, beyond.data()));
    }
    cdio_destroy(cdio);
}
