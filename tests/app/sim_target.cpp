#include "sim_target.h"

#include <QFileInfo>

#include "modal_watcher.h"

namespace apptest {

using testsupport::WaitFor;

SimTarget::~SimTarget() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

bool SimTarget::Available() {
  return QFileInfo(QStringLiteral(LOADER_SIM_PATH)).isExecutable();
}

bool SimTarget::Start(const QStringList& arguments) {
  process_.start(QStringLiteral(LOADER_SIM_PATH), arguments);
  if (!process_.waitForStarted(5000)) return false;
  if (!WaitFor([&] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; }))
    return false;
  slavePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  return !slavePath_.isEmpty();
}

bool SimTarget::WaitFinished(int timeoutMs) {
  return WaitFor([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
}

}  // namespace apptest
