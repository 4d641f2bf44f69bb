#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace apptest {

// build/zagruzchik-sim as a child process: the simulated boot loader on the master side of a
// pseudo-terminal whose slave path it prints first.
class SimTarget {
 public:
  SimTarget() = default;
  ~SimTarget();
  SimTarget(const SimTarget&) = delete;
  SimTarget& operator=(const SimTarget&) = delete;

  static bool Available();
  // Starts it and waits (bounded) for the slave path; false when it does not come.
  bool Start(const QStringList& arguments);
  const QString& SlavePath() const { return slavePath_; }
  // Waits, with events processed, until it has ended or the bound passed.
  bool WaitFinished(int timeoutMs = 10000);
  int ExitCode() const { return process_.exitCode(); }
  QByteArray Errors() { return process_.readAllStandardError(); }

 private:
  QProcess process_;
  QString slavePath_;
};

}  // namespace apptest
