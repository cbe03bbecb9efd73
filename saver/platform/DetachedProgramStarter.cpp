#include "DetachedProgramStarter.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <fstream>
#include <sstream>
#include <string>

namespace quillaro {

std::optional<std::int64_t>
DetachedProgramStarter::startProgram(const std::filesystem::path& program,
                                     const std::vector<std::string>& args) {
    QStringList arguments;
    for (const auto& arg : args)
        arguments << QString::fromStdString(arg);
    qint64 pid = 0;
    if (!QProcess::startDetached(QFile::decodeName(program.c_str()), arguments, QString(), &pid))
        return std::nullopt;
    return static_cast<std::int64_t>(pid);
}

bool DetachedProgramStarter::isRunning(std::int64_t pid) {
    if (pid <= 0)
        return false;
    // The program is not our child, so it cannot be waited for; the process table tells. A
    // process that has ended but not yet been reaped by the system counts as ended.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const std::size_t nameEnd = line.rfind(')'); // the name may hold blanks and brackets
    if (nameEnd == std::string::npos || nameEnd + 2 >= line.size())
        return false;
    const char state = line[nameEnd + 2];
    return state != 'Z' && state != 'X';
}

} // namespace quillaro
