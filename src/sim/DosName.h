#pragma once
// DOS 8.3 names as the controller's file system keeps them: upper case, a base of up to 8 and an
// extension of up to 3 characters. Longer parts are cut as DOS cuts them, so "verylongname.text"
// names VERYLONG.TEX; searches match with "?" and "*" the way DOS expands a mask to 11 positions.
#include <ctime>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vlm::sim {

// The name in its canonical 8.3 form, or nullopt when it cannot be a DOS name (empty base, a
// second dot, a character DOS forbids, a wildcard when wildcards are not allowed). "." and ".."
// are returned unchanged.
std::optional<std::string> NormalizeDosName(std::string_view name, bool allowWildcards);

// Whether a name (code page 866) is itself a valid 8.3 name (no cutting needed), so the controller
// can see a host file of that name. Case does not matter: the file system is case-insensitive.
bool IsVisibleDosName(std::string_view name);

// Case mapping of code page 866 (Latin and Cyrillic letters).
char ToUpperDos(char c);
char ToLowerDos(char c);

// Whether the canonical name matches the canonical mask ("*.*" matches everything, "." and ".."
// included; "*" alone matches names without extension, as in DOS).
bool MatchDosMask(std::string_view mask, std::string_view name);

// Packed DOS date-time of a host time stamp in local time; times before 1980 give 1980-01-01.
uint32_t PackDosDateTime(std::time_t when);

}  // namespace vlm::sim
