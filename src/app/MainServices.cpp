#include "app/MainServices.h"

#include "app/MainForm.h"
#include "diag/ui/DiagService.h"
#include "blackbox/ui/BoxService.h"
#include "services/ui/ServiceWindows.h"
#include "shell/AppContext.h"

namespace vlm {

std::unique_ptr<TServiceWindows> AttachServiceWindows(TFormVLM& form, TAppContext& context) {
  // The main window's help takes the context of the active service window.
  auto services = std::make_unique<TServiceWindows>(context.Link, context.Main.CloseReset, &form,
                                                    [&form](int) { form.ShowHelp(); });
  AddServiceButtons(*services, [&form](const QString& name, const QString& hint, const QIcon& icon,
                                       std::function<void()> run) { form.AddServiceButton(name, hint, icon, run); });
  AddDisplayService([&form](const QString& name, const QString& hint, const QIcon& icon,
                       std::function<void()> run) { return form.AddServiceButton(name, hint, icon, run); },
                    context.Link, &form);
  AddBoxService([&form](const QString& name, const QString& hint, const QIcon& icon,
                        std::function<void()> run) { return form.AddServiceButton(name, hint, icon, run); },
                context.Link, &form);
  // A new configuration takes effect when the controller restarts.
  form.AfterWrite = [windows = services.get()] { windows->ShowReset(); };
  return services;
}

}  // namespace vlm
