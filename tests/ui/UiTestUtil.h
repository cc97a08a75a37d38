#pragma once
// Shared set-up of the window tests (header only: every .cpp here is its own test program): a
// private data folder, the kinds and frames registered, and a velmor-sim on loopback.
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <string>

#include "model/TreeNode.h"
#include "model/ui/ModelFrames.h"
#include "ports/KindRegistration.h"

namespace vlm::test {

inline void PrepareProgram(const QTemporaryDir& home) {
  qputenv("VELMOR_HOME", home.path().toUtf8());
  RegisterPortKinds();
  RegisterModelFrames();
}

// Node texts of a subtree, one line per node, indented by level: equal trees give equal texts.
inline std::string TreeText(const TTreeNode& node) {
  std::string text = std::string(size_t(node.Level()) * 2, ' ') + node.Text() + "\n";
  for (const auto& child : node.Children()) text += TreeText(*child);
  return text;
}

// A UDP port of this run: programs of the suite run in parallel, each needs its own.
inline int TestPort(int offset) { return 31000 + int(QCoreApplication::applicationPid() % 2000) * 4 + offset; }

// Starts velmor-sim on 127.0.0.<host>:<port>; true once it reports that it listens. The port of
// its oscilloscope stream (a free one) goes to oscPort when asked for.
inline bool StartSimulator(QProcess& sim, int host, int port, const QString& disk, int* oscPort = nullptr) {
  sim.setProgram(VELMOR_SIM);
  sim.setArguments({"--ip", QString("127.0.0.%1").arg(host), "--port", QString::number(port), "--disk", disk});
  sim.start();
  if (!sim.waitForStarted(5000)) return false;
  QByteArray text;
  while (sim.waitForReadyRead(5000)) {
    text += sim.readAll();
    if (!text.contains("udp:") || (oscPort && !text.contains("osc:"))) continue;
    if (oscPort) {
      const int at = text.indexOf("osc: ");
      const int colon = text.indexOf(':', at + 5), end = text.indexOf('\n', at);
      *oscPort = at < 0 ? 0 : text.mid(colon + 1, end - colon - 1).toInt();
    }
    return true;
  }
  return false;
}

}  // namespace vlm::test
