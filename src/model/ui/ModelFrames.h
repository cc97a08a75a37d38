#pragma once
// The editor frames of the station, controller, processor, cards and hardware ports: one file
// each (FrameStation, FrameController, ...); this registers them with the frame factory.
namespace vlm {

void RegisterModelFrames();

}  // namespace vlm
