#pragma once
// File names crossing between the PC and the controller.
#include <optional>
#include <string>

namespace vlm {

// The DOS system files the file exchange never copies (exact, lower-case names).
bool IsSystemFile(const std::string& name);
// The PC name for a controller file: only a name that stays exactly as it is after sanitising
// (no separators, drive, "..", device name, not longer than the controller's 12) is used; anything else is refused, never rewritten,
// so a copy can neither leave the chosen folder nor land under a name the user did not see.
std::optional<std::string> PcFileNameFor(const std::string& controllerName);
// The name the controller keeps: DOS code page, at most 12 bytes (UTF-8 again).
std::string ControllerFileName(const std::string& name);

}  // namespace vlm
