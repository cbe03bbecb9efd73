#include "DetachedProgramStarter.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

namespace quillaro {
namespace {

struct ProcessStat {
    char state = 0;
    unsigned long long startTime = 0;
};

// The process's state and start time from the process table; nothing when it has gone. The
// program is not our child, so it cannot be waited for.
std::optional<ProcessStat> readProcessStat(std::int64_t pid) {
    if (pid <= 0)
        return std::nullopt;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    const std::size_t nameEnd = line.rfind(')'); // the name may hold blanks and brackets
    if (nameEnd == std::string::npos || nameEnd + 2 >= line.size())
        return std::nullopt;
    // After the name: the state (field 3), then fields 4 to 21, then the start time (field 22).
    std::istringstream fields(line.substr(nameEnd + 2));
    ProcessStat parsed;
    fields >> parsed.state;
    std::string skipped;
    for (int field = 4; field <= 21; ++field)
        fields >> skipped;
    if (!(fields >> parsed.startTime))
        return std::nullopt;
    return parsed;
}

} // namespace

std::optional<std::int64_t>
DetachedProgramStarter::startProgram(const std::filesystem::path& program,
                                     const std::vector<std::string>& args) {
    QStringList arguments;
    for (const auto& arg : args)
        arguments << QString::fromStdString(arg);
    qint64 pid = 0;
    if (!QProcess::startDetached(QFile::decodeName(program.c_str()), arguments, QString(), &pid))
        return std::nullopt;
    if (auto stat = readProcessStat(pid))
        startTimes_[pid] = stat->startTime;
    return static_cast<std::int64_t>(pid);
}

bool DetachedProgramStarter::isRunning(std::int64_t pid) {
    // A process that has ended but not yet been reaped by the system counts as ended.
    const auto stat = readProcessStat(pid);
    return stat && stat->state != 'Z' && stat->state != 'X';
}

void DetachedProgramStarter::stopProgram(std::int64_t pid) {
    const auto started = startTimes_.find(pid);
    if (started == startTimes_.end() || !isRunning(pid))
        return;
    const auto stat = readProcessStat(pid);
    if (stat && stat->startTime == started->second)
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}

} // namespace quillaro
