#pragma once
// What a service operation tells the window or the command that runs it: the state line, log
// lines, progress, one indicator point per exchange, finished items. Every call has a do-nothing
// default, so a listener takes only what it shows.
#include <cstdint>
#include <string>

namespace vlm {

// The meaning of an indicator point; the window picks the colour.
enum class TPoint { Good, Bad };

class IServiceObserver {
 public:
  virtual ~IServiceObserver() = default;
  virtual void State(const std::string& /*text*/) {}
  virtual void Log(const std::string& /*line*/) {}
  virtual void Progress(uint64_t /*position*/, uint64_t /*maximum*/) {}
  virtual void Point(TPoint /*point*/) {}
  // Lets pending window messages run (the stop button among them).
  virtual void Pump() {}
  // An item of the selection is done with and leaves the selection.
  virtual void Deselect(const std::string& /*name*/) {}
};

// Set by the stop button while an operation pumps; read between blocks.
struct TStopFlag {
  bool Requested = false;
};

}  // namespace vlm
