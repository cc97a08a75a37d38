#pragma once
// velmorctl's black-box commands over the controller link and on recorded files. The bodies
// take parsed arguments, so whichever command-line front end calls them stays thin.
#include <string>

#include "link/Velmor_PC.h"

namespace vlm {
class IWorkClock;
}

namespace vlm::cli {

// The recorders of the controller: number, type, name, write index or capture status.
int BoxList(TControllerLink& link);

struct TBoxRecordArgs {
  int recorder = 0;
  double seconds = 0;  // 0: until Ctrl+C
  std::string output;  // empty: the reader's own name in the "Box" folder
  bool text = false;   // decoded text as well
  IWorkClock* clock = nullptr;  // the steady clock when none is given (tests give a fake one)
  bool append = false; // add to an existing file instead of refusing it
};
// Records a type-0 recorder into a text file, as the window's recording does.
int BoxRecord(TControllerLink& link, const TBoxRecordArgs& args);

// Copies a type-1 recorder into a pcap file up to the write position seen at the start.
int BoxPcap(TControllerLink& link, int recorder, const std::string& output, IWorkClock* clock = nullptr);

struct TBoxReplayArgs {
  std::string file;
  bool kpFilter = false;
  int kpNumber = 0;
  bool fnFilter = false;
  int fnNumber = 0;
  bool onlyIn = false, onlyOut = false;
  bool hex = true, text = true;
  int param = 0x55;
};
// Prints the lines the window shows when it replays the file.
int BoxReplay(const TBoxReplayArgs& args);

// Runs the stream analyzer over a recorded file and prints its tree and error list.
int BoxAnalyze(const std::string& file, int param);

// Turns a type-0 recording into a pcap file of exported PDUs.
int BoxToPcap(const std::string& input, const std::string& output, int param);

}  // namespace vlm::cli
