#include "services/ui/ServiceWindows.h"

#include <QApplication>
#include <QStyle>

#include "services/ui/VLM_Reset.h"
#include "services/ui/VLM_ServAuto.h"
#include "services/ui/VLM_ServFiles.h"
#include "services/ui/VLM_ServUpload.h"

namespace vlm {

TServiceWindows::TServiceWindows(TControllerLink& link, bool& closeReset, QWidget* owner, std::function<void(int)> help)
    : files_(new TFormFiles(link, owner)),
      upload_(new TFormUpload(link, owner)),
      auto_(new TFormAuto(link, owner)),
      reset_(new TFormReset(link, closeReset, owner)) {
  for (QWidget* window : std::initializer_list<QWidget*>{files_, upload_, auto_, reset_})
    window->setWindowFlag(Qt::Window);
  files_->Help = help;
  upload_->Help = help;
  auto_->Help = help;
  reset_->Help = help;
  auto_->ShowReset = [this] { ShowReset(); };
}

void TServiceWindows::ShowFiles() { files_->exec(); }
void TServiceWindows::ShowUpload() { upload_->exec(); }
void TServiceWindows::ShowAutoexec() { auto_->exec(); }
void TServiceWindows::ShowReset() { reset_->exec(); }

void AddServiceButtons(TServiceWindows& windows, const TAddServiceButton& add) {
  QStyle* style = QApplication::style();
  add("ButtonFiles", "Сервис \"Обмен файлами\"", style->standardIcon(QStyle::SP_DirLinkIcon),
      [&windows] { windows.ShowFiles(); });
  add("ButtonUpload", "Загрузить файл в контроллер ", style->standardIcon(QStyle::SP_ArrowUp),
      [&windows] { windows.ShowUpload(); });
  add("ButtonAutoexec", "Править файл autoexec.bat в контроллере", style->standardIcon(QStyle::SP_FileIcon),
      [&windows] { windows.ShowAutoexec(); });
  add("ButtonReset", "Перезагрузить контроллер", style->standardIcon(QStyle::SP_BrowserReload),
      [&windows] { windows.ShowReset(); });
}

}  // namespace vlm
