#pragma once
// Qt's own diagnostics ("QStandardPaths: XDG_RUNTIME_DIR not set", font and
// platform-plugin notes) are for developers: a verb or an unattended
// transfer writes only its own output and messages, so that cron mails and
// the journal hold what the dealer needs. TRAMOND_QT_MESSAGES=1 lets them
// through again; fatal messages always pass.

namespace tramond::platform {

void keepQtDiagnosticsQuiet();

}  // namespace tramond::platform
