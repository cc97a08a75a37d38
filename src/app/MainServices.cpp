#include "app/MainServices.h"

#include "app/MainForm.h"
#include "diag/ui/DiagService.h"
#include "blackbox/ui/BoxService.h"
#include "services/ui/ServiceWindows.h"
#include "shell/AppContext.h"
#include "shell/ui/ServiceButton.h"

namespace vlm {

std::unique_ptr<TServiceWindows> AttachServiceWindows(TFormVLM& form, TAppContext& context) {
  // The main window's help takes the context of the active service window.
  auto services = std::make_unique<TServiceWindows>(context.Link, context.Main.CloseReset, &form,
                                                    [&form](int) { form.ShowHelp(); });
  const TServiceButtonAdder add = [&form](const QString& name, const QString& hint, const QIcon& icon,
                                          std::function<void()> run) {
    return form.AddServiceButton(name, hint, icon, std::move(run));
  };
  AddServiceButtons(*services, add);
  AddDisplayService(add, context.Link, &form);
  AddBoxService(add, context.Link, &form);
  // A new configuration takes effect when the controller restarts.
  form.AfterWrite = [windows = services.get()] { windows->ShowReset(); };
  return services;
}

}  // namespace vlm
