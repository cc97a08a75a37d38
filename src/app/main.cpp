// velmor: the desktop program of the Velmor Configurator.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "app/MainForm.h"
#include "app/MainServices.h"
#include "services/ui/ServiceWindows.h"
#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "model/ui/ModelFrames.h"
#include "ports/KindRegistration.h"
#include "ports/ui/PortFrames.h"
#include "ports/ui/ReaddrFrames.h"
#include "shell/AppContext.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/LinkWait.h"
#include "shell/ui/QtPrompt.h"

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  vlm::SetProgramPath(argv[0]);
  QApplication app(argc, argv);
  // The application name only: a display name would be appended by the window system to every
  // title ("... — Конфигуратор ВЕЛМОР"), and each window's caption already says what it is.
  QApplication::setApplicationName(vlm::kAppTitle);
  vlm::InstallQtRussian();

  vlm::TQtPrompt prompt;
  vlm::PromptGuard promptGuard(prompt);
  vlm::RegisterPortKinds();
  vlm::RegisterModelFrames();
  vlm::RegisterPortFrames();
  vlm::RegisterReaddrFrames();

  vlm::TAppContext context;
  // While the link waits for an answer the windows stay alive, but nothing that starts an
  // exchange or frees what one uses runs inside the wait (shell/ui/LinkWait.h).
  vlm::InstallLinkWaitGuard(context.Link);
  vlm::TFormVLM form(context);
  const auto services = vlm::AttachServiceWindows(form, context);
  form.show();
  // Start-up time check for the tools: VELMOR_STARTUP_PROBE=1 prints the milliseconds from
  // the start of main to the first shown main window and quits.
  if (qEnvironmentVariableIsSet("VELMOR_STARTUP_PROBE")) {
    QTimer::singleShot(0, &form, [&] {
      std::printf("startup_ms %lld\n", static_cast<long long>(started.elapsed()));
      std::fflush(stdout);
      QApplication::quit();
    });
  }
  // For the smoke test on a real X server (scripts/smoke-x11): VELMOR_UI_PROBE=1 prints where
  // the tool buttons are, then the "Считано из" label and the station caption each time one of
  // them changes, and the service windows as they are shown or closed with where their scan
  // button is.
  QTimer probe;
  if (qEnvironmentVariableIsSet("VELMOR_UI_PROBE")) {
    for (const char* name : {"ButtonOpen", "ButtonSave", "ButtonBox", "ButtonDiag", "ButtonDisplay"})
      if (const auto* button = form.findChild<QWidget*>(name)) {
        const QPoint at = button->mapTo(&form, button->rect().center());
        std::printf("button %s %d %d\n", name, at.x(), at.y());
      }
    QObject::connect(&probe, &QTimer::timeout, &form, [&form, last = QString()]() mutable {
      QString now = "label: " + form.ReadFromLabel() + "\nstation: " +
                    QString::fromStdString(form.Tree().Root() ? form.Tree().Root()->Text() : std::string());
      for (const char* name : {"FormBox", "FormDiag", "FormDisplay"}) {
        const auto* window = form.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
        if (!window || !window->isVisible()) continue;
        now += QString("\nwindow %1 shown").arg(name);
        for (const char* scan : {"ImageScan", "ButtonScan"})
          if (const auto* button = window->findChild<QWidget*>(scan)) {
            const QPoint at = button->mapTo(window, button->rect().center());
            now += QString("\nbutton %1.%2 %3 %4").arg(name, scan).arg(at.x()).arg(at.y());
          }
      }
      if (now == last) return;
      last = now;
      std::printf("%s\nprobe end\n", now.toUtf8().constData());
      std::fflush(stdout);
    });
    probe.start(100);
  }
  return QApplication::exec();
}
