#pragma once
// The service windows that live for the whole run (file exchange, upload, autoexec.bat, reset)
// and the main window's buttons that open them.
#include <QIcon>
#include <QString>
#include <functional>

class QWidget;

namespace vlm {

class TControllerLink;
class TFormAuto;
class TFormFiles;
class TFormReset;
class TFormUpload;

class TServiceWindows {
 public:
  // The windows become children of `owner`; `closeReset` is the program's "CloseReset" setting;
  // `help` shows the help page of a context.
  TServiceWindows(TControllerLink& link, bool& closeReset, QWidget* owner, std::function<void(int)> help);

  // Modal, as every service window.
  void ShowFiles();
  void ShowUpload();
  void ShowAutoexec();
  void ShowReset();

  TFormFiles* Files() const { return files_; }
  TFormUpload* Upload() const { return upload_; }
  TFormAuto* Autoexec() const { return auto_; }
  TFormReset* Reset() const { return reset_; }

 private:
  TFormFiles* files_;
  TFormUpload* upload_;
  TFormAuto* auto_;
  TFormReset* reset_;
};

// Puts the four service buttons on a window: add(name, hint, icon, run) is the main window's way
// of adding a tool button.
using TAddServiceButton =
    std::function<void(const QString& name, const QString& hint, const QIcon& icon, std::function<void()> run)>;
void AddServiceButtons(TServiceWindows& windows, const TAddServiceButton& add);

}  // namespace vlm
