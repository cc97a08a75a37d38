#pragma once
// The one way a path is made from text and turned back into text. Our texts are UTF-8; a
// std::filesystem::path built from a plain std::string is read in the ANSI code page on Windows,
// which breaks folders named in Cyrillic ("ПС 110 кВ Северная"). Going through char8_t is right
// on both systems.
#include <filesystem>
#include <string>
#include <string_view>

namespace vlm {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);
// The last component as UTF-8 text ("vlm.cfg" of "c:/x/vlm.cfg").
std::string FileNameUtf8(const std::filesystem::path& path);

}  // namespace vlm
