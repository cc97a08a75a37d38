#pragma once
// Code pages at the program's boundaries. Inside the program text is UTF-8; the image and the
// ini files keep Windows-1251 bytes, the controller keeps DOS 866 bytes.
#include <string>
#include <string_view>

namespace vlm {

// UTF-8 -> CP1251; characters without a CP1251 byte become '?'. Invalid UTF-8 bytes are taken
// as CP1251 bytes, so already-converted text survives a second conversion.
std::string Utf8ToCp1251(std::string_view utf8);
// CP1251 -> UTF-8. Every byte has a character (0x98, a hole of the code page, is U+0098), so
// bytes survive the round trip.
std::string Cp1251ToUtf8(std::string_view cp1251);
// Whole-string conversions between Windows-1251 and DOS 866 bytes by the controller's tables:
// bytes without a counterpart stay unchanged.
std::string WinToDos(std::string_view cp1251);
std::string DosToWin(std::string_view cp866);
// Shortcuts for the usual road UTF-8 <-> controller bytes.
std::string Utf8ToDos(std::string_view utf8);
std::string DosToUtf8(std::string_view cp866);
// Whole text files of the controller (autoexec.bat, files in the viewer) by the full DOS 866 code
// page: box drawing, "№" and the other signs keep their characters, and every byte survives the
// road there and back. Characters without a DOS 866 byte become '?'; invalid UTF-8 bytes are kept.
std::string OemTextToUtf8(std::string_view cp866);
std::string Utf8ToOemText(std::string_view utf8);
bool IsValidUtf8(std::string_view bytes);
// Characters of a UTF-8 text, and its first `characters` characters (texts cut to a length the
// user sees, never inside a character).
size_t Utf8Length(std::string_view utf8);
std::string Utf8Left(std::string_view utf8, size_t characters);
// Text files from other programs may be CP1251 or UTF-8: valid UTF-8 is kept, anything else is
// taken as CP1251.
std::string AnyToUtf8(std::string_view bytes);

}  // namespace vlm
