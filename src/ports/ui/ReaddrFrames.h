#pragma once
// Registers the frames of the kinds with readdressing tables: passive, board, МКТ3 and РПТ80
// transmit ports, Modbus device and IEC 104 PC point.
namespace vlm {
void RegisterReaddrFrames();
}  // namespace vlm
