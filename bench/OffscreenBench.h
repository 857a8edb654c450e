#pragma once
// The main of a benchmark that runs the program's windows offscreen in this process.

#include <QApplication>
#include <benchmark/benchmark.h>

namespace bench {

// The offscreen platform cannot raise windows; saying so on every launch is only noise.
inline void quietOffscreen(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (message.contains("does not support raise()")) return;
    qt_message_output(type, context, message);
}

// Runs the registered benchmarks in an offscreen application; 1 when one of them failed.
inline int runOffscreen(int argc, char** argv, const bool& failed) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nightlid");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return failed ? 1 : 0;
}

} // namespace bench
