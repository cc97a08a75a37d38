// Before the configuration is written: what the controller holds now and how it differs.
#include <QCoreApplication>
#include <QProgressDialog>

#include "app/DiffDialog.h"
#include "app/MainForm.h"
#include "cfgdiff/ImageTree.h"
#include "common/Prompt.h"
#include "link/FileTransfer.h"
#include "model/Config.h"
#include "shell/AppContext.h"

namespace vlm {

namespace {

constexpr const char* kControllerFile = "c:\\vlm.cfg";

// The controller's image is only looked at: a damaged one is mentioned, never shown as an error box.
class TQuietPrompt : public IPrompt {
 public:
  void ShowError(const std::string& text) override { last = text; }
  TAnswer AskYesNo(const std::string&, bool) override { return TAnswer::Yes; }
  std::string last;
};

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r') c = ' ';
  return text;
}

}  // namespace

bool TFormVLM::CompareBeforeWrite(std::string& note) {
  note.clear();
  std::vector<uint8_t> bytes;
  bool read = false;
  busy_ = true;
  {
    // A slow link takes a while: the engineer sees what is read and may stop (the write then
    // does not start).
    QProgressDialog progress("Чтение конфигурации из контроллера для сравнения с записываемой...", "Отмена", 0, 100, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    TReadOptions options;
    options.showReadError = false;
    options.progress = [&progress](uint64_t done, uint64_t total) {
      progress.setValue(int(done * 100 / std::max<uint64_t>(1, total)));
      // Between requests the link waits for nothing: the cancel button gets its turn once shown.
      if (progress.isVisible()) QCoreApplication::processEvents();
    };
    options.stopRequested = [&progress] { return progress.wasCanceled(); };
    TLinkSession session(ctx_.Link);
    read = session.Opened() && ReadControllerFile(ctx_.Link, kControllerFile, bytes, options);
  }
  busy_ = false;
  preWrite_ = read ? bytes : std::vector<uint8_t>();
  if (!read && ctx_.Link.LastFailure == TLinkFailure::Stopped) return false;
  if (!read) {
    // A link that fails here fails the write too, which says so; only a missing file is news.
    if (ctx_.Link.LastFailure == TLinkFailure::DosError) note = "В контроллере нет конфигурации.\r\r";
    return true;
  }
  const auto image = ctx_.Image.Image();
  if (bytes.size() == image.size() && std::equal(bytes.begin(), bytes.end(), image.begin())) {
    note = "Конфигурация в контроллере совпадает с записываемой.\r\r";
    return true;
  }
  TQuietPrompt quiet;
  PromptGuard guard(quiet);
  TConfigDiff diff;
  try {
    const TLoadedImage before(bytes);
    const TLoadedImage after(image);
    diff = DiffLoaded(before, after);
  } catch (const EAbort&) {
    note = "Конфигурация в контроллере не читается: " + OneLine(quiet.last) + ".\r\r";
    return true;
  }
  if (diff.Equal()) {
    note = "Конфигурация в контроллере совпадает с записываемой (кроме даты записи).\r\r";
    return true;
  }
  if (ConfirmDifferences) return ConfirmDifferences(diff);
  TFormConfigDiff dialog(diff, this);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vlm
