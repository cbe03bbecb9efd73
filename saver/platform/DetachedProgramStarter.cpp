#include "DetachedProgramStarter.h"

#include <QProcess>
#include <QStringList>

namespace quillaro {

std::optional<std::int64_t>
DetachedProgramStarter::startProgram(const std::filesystem::path& program,
                                     const std::vector<std::string>& args) {
    QStringList arguments;
    for (const auto& arg : args)
        arguments << QString::fromStdString(arg);
    qint64 pid = 0;
    if (!QProcess::startDetached(QString::fromStdString(program.string()), arguments, QString(),
                                 &pid))
        return std::nullopt;
    return static_cast<std::int64_t>(pid);
}

} // namespace quillaro
