#include "platform/mac/ToolRunner.h"

#include <QProcess>
#include <QStringList>

namespace mac {

std::optional<std::string>
runToolWithin(const std::string& path, const std::vector<std::string>& arguments, double seconds) {
    QStringList args;
    for (const auto& a : arguments)
        args << QString::fromStdString(a);
    QProcess tool;
    // Its complaints are not its output.
    tool.setProcessChannelMode(QProcess::SeparateChannels);
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.start(QString::fromStdString(path), args);
    if (!tool.waitForStarted()) return std::nullopt;
    if (!tool.waitForFinished(int(seconds * 1000))) {
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return tool.readAllStandardOutput().toStdString();
}

} // namespace mac
