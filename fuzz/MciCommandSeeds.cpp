// Writes a small seed corpus for the command layer's fuzz target into the folder given: the
// command sequences the music module sends for MP3 files and for the CD (with the buffers it
// sends them with), a disc with data tracks, and the failures the devices report.
#include "assets/OutputFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const auto out = quillaro::outputFolder(argc, argv);
    if (!out)
        return 2;
    const std::filesystem::path& folder = *out;
    const std::vector<std::string> seeds = {
        // An MP3 run: opened, played, kept going, stopped.
        "!reply 0\nopen \"/music/a b.mp3\" type MPEGVideo Alias MP3Play\nplay MP3Play\n"
        "!reply 30\nstatus MP3Play mode\n!finish\nstatus MP3Play mode\n!reply 0\n"
        "stop MP3Play\nplay MP3Play from 0\nstop MP3Play\nclose MP3Play\n",
        // A CD run with a repeated track, as the upkeep sends it every 200 ms.
        "!reply 0\nopen cdaudio\nset cdaudio time format tmsf\n!reply 512\n"
        "status cdaudio current track\nstatus cdaudio number of tracks\n!reply 255\n"
        "status cdaudio mode\n!reply 512\nstatus cdaudio position track 2\n"
        "play cdaudio from 02:00:00:00\n!finish\nstatus cdaudio current track\n"
        "!reply 255\nstatus cdaudio mode\n!reply 0\nstop cdaudio\nclose cdaudio\n",
        // A disc of data, sound and data, played in every time format, then read badly.
        "!toc 1 90000 2 0 15000 60000 55000\nopen cdaudio alias cd\nset cd time format msf\n"
        "play cd from 00:20:00 to 10:00:00\nstatus cd position\nset cd time format ms\n"
        "status cd length track 2\nplay cd from 400000\n!fail 30000\n!gone\nstatus cd mode\n"
        "status cd media present\nplay cd\nclose all\n",
        // No disc, an open tray, and a drive that is not there.
        "!media 1\nopen cdaudio\nstatus cdaudio current track\nplay cdaudio\nclose cdaudio\n"
        "!media 2\nopen cdaudio\nstatus cdaudio mode\nclose cdaudio\n!cd 1\nopen cdaudio\n",
        // Files that do not open, odd words and buffers, and commands that are not commands.
        "!music 1\nopen a.mp3\n!music 2\nopen \"x.wav\" type mpegvideo\n!music 0\n"
        "open song.ogg alias s wait\nset s time format milliseconds\n!reply 1\nstatus s length\n"
        "!reply 2\nstatus s position\npause s\nresume s notify\nplay s from 99999999999\n"
        "open \"unclosed\n\nrecord s\nopen x.xyz\nopen x type\nopen cdaudio alias s\nclose all\n",
    };
    int written = 0;
    for (const std::string& seed : seeds) {
        std::ofstream out(folder / ("seed" + std::to_string(written) + ".txt"), std::ios::binary);
        out << seed;
        written += out.good() ? 1 : 0;
    }
    std::printf("%d seeds in %s\n", written, folder.c_str());
    return 0;
}
