#include "platform/qt_messages.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace tramond::platform {

namespace {

void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "tramond: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

void keepQtDiagnosticsQuiet() {
    const char* wanted = std::getenv("TRAMOND_QT_MESSAGES");
    if (wanted && *wanted && *wanted != '0') return;
    qInstallMessageHandler(quietHandler);
}

}  // namespace tramond::platform
