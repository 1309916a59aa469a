#include "ProgramLog.h"

#include <QLoggingCategory>
#include <QString>

#include <cstdio>

namespace qv4130 {

namespace {

Q_LOGGING_CATEGORY(lcOperator, "qv4130.operator")

const char* programName = "qv4130";

// The toolkit's own notes ("XDG_RUNTIME_DIR not set", a font or a platform
// plugin it had to look for) read like errors of ours to an operator at a
// terminal; only its critical and fatal messages are worth their attention.
bool WorthSaying(QtMsgType type, const QMessageLogContext& context) {
    const bool ours = context.category != nullptr &&
                      QLatin1String(context.category) == QLatin1String(lcOperator().categoryName());
    return ours || type == QtCriticalMsg || type == QtFatalMsg;
}

void WriteLine(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!WorthSaying(type, context)) {
        return;
    }
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
