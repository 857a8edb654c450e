#include "platform/BoundedTool.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

namespace platform {

namespace {

std::string sizeText(size_t bytes) {
    return bytes % (1024 * 1024) == 0 ? std::to_string(bytes / (1024 * 1024)) + " MiB"
                                      : std::to_string(bytes) + " bytes";
}

} // namespace

ToolResult runBoundedTool(const std::string& path, const std::vector<std::string>& arguments,
                          double seconds, size_t maxBytes) {
    QStringList args;
    for (const auto& a : arguments)
        args << QString::fromStdString(a);
    QProcess tool;
    // Its complaints are not its output, and are not kept.
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.start(QString::fromStdString(path), args);
    ToolResult result;
    if (!tool.waitForStarted(5000)) return result;
    QElapsedTimer running;
    running.start();
    QByteArray output;
    for (;;) {
        // Each wait takes one chunk: what is kept stays near the limit.
        const bool ready = tool.waitForReadyRead(100);
        output += tool.readAllStandardOutput();
        if (size_t(output.size()) > maxBytes)
            result.stopped = "printed more than " + sizeText(maxBytes);
        else if (running.hasExpired(qint64(seconds * 1000)))
            result.stopped = "did not end within " + std::to_string(int(seconds)) + " s";
        if (!result.stopped.empty()) {
            tool.kill();
            tool.waitForFinished(1000);
            return result;
        }
        if (!ready && tool.state() == QProcess::NotRunning) break;
    }
    if (tool.exitStatus() != QProcess::NormalExit) return result;
    result.output = output.toStdString();
    return result;
}

} // namespace platform
