#include "shell/ui/HelpWindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "shell/ui/AppInfo.h"

static void InitHelpResources() { Q_INIT_RESOURCE(help); }

namespace vlm {

namespace {
QString PagePath(int context) { return QStringLiteral(":/help/%1.html").arg(context); }
}  // namespace

TFormHelp::TFormHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
  InitHelpResources();
  setObjectName("FormHelp");
  setWindowTitle(kHelpTitle);
  auto* layout = new QVBoxLayout(this);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("Browser");
  browser_->setSearchPaths({":/help"});
  browser_->setOpenLinks(true);
  layout->addWidget(browser_);
  resize(640, 480);
}

bool TFormHelp::HasPage(int context) {
  InitHelpResources();
  return QFile::exists(PagePath(context));
}

void TFormHelp::ShowContext(int context) {
  context_ = context;
  // A window already open is replaced by the new context, as the help viewer was.
  hide();
  browser_->setSource(QUrl(QStringLiteral("qrc") + (HasPage(context) ? PagePath(context) : ":/help/index.html")));
  FitOnScreen(this);
  show();
  raise();
}

}  // namespace vlm
