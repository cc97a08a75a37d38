#pragma once
// The oscilloscope's recordings as RIFF/WAVE PCM files: 2 channels (A left, B right), 24000
// frames per second, 16 bits, 44-byte header.
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace vlm {

std::array<uint8_t, 44> WavHeader(uint32_t dataBytes);
// Header and frames, through a temporary file; an error text, empty on success.
std::string WriteWavFile(const std::filesystem::path& path, std::span<const uint8_t> frames);
// Message of the "Сохранено" box.
std::string WavSavedText(const std::string& name, uint64_t fileSize);
// The proposed name of a recording: "yyyy_mm_dd hh_nn_ss.wav" of the given local time.
std::string WavProposedName(int year, int month, int day, int hour, int minute, int second);
// ".wav" appended when the chosen name has no extension.
std::string WavFileName(const std::string& chosen);

}  // namespace vlm
