#pragma once
// Editor frames of the software ports and remote points: registered with the frame factory under
// each kind's class name. The program calls RegisterPortFrames once at start-up.
#include <QString>

class QWidget;

namespace vlm {

void RegisterPortFrames();

// Texts the frames show beside their settings.
extern const char* const kDebugNoteAd;
extern const char* const kDebugNoteMkR;

// Disables every control of a frame (the modules still in debugging need no settings).
void DisableControls(QWidget* frame);

}  // namespace vlm
