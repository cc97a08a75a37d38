#include "services/ServiceNames.h"

#include "common/DataFolder.h"
#include "common/TextCodec.h"
#include "link/ServiceRequests.h"

namespace vlm {

bool IsSystemFile(const std::string& name) {
  static const char* const kSystemFiles[] = {"command.com", "ibmbio.sys", "ibmdos.sys", "io.sys", "msdos.sys"};
  for (const char* system : kSystemFiles)
    if (name == system) return true;
  return false;
}

std::optional<std::string> PcFileNameFor(const std::string& controllerName) {
  // A longer name cannot be what the controller stores; asked for, it would name another file.
  if (Utf8ToDos(controllerName).size() > kFileNameMax) return std::nullopt;
  const std::string safe = SanitizeFileName(controllerName);
  if (safe.empty() || safe != controllerName) return std::nullopt;
  return safe;
}

std::string ControllerFileName(const std::string& name) {
  std::string dos = Utf8ToDos(name);
  if (dos.size() > kFileNameMax) dos.resize(kFileNameMax);
  return DosToUtf8(dos);
}

}  // namespace vlm
