#include "ProgramLog.h"

#include <QLoggingCategory>
#include <QString>

#include <cstdio>

namespace qv4130 {

namespace {

Q_LOGGING_CATEGORY(lcOperator, "qv4130.operator")

const char* programName = "qv4130";

void WriteLine(QtMsgType /*type*/, const QMessageLogContext& /*context*/, const QString& text) {
    // One write a line, flushed: the lines of two threads never mix, and a
    // line is out before a box or an exit that follows it.
    const QByteArray line = QByteArray(programName) + ": " + text.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void InstallProgramLog(const char* program) {
    programName = program;
    qInstallMessageHandler(WriteLine);
}

Report ProgramReport() {
    return [](const std::string& text) { qCWarning(lcOperator).noquote() << text.c_str(); };
}

} // namespace qv4130
