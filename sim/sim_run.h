#ifndef KIVO_SIM_SIM_RUN_H_
#define KIVO_SIM_SIM_RUN_H_

// The run flags through which the window and the simulation job talk to each
// other, and what the sampler needs of the window.

#include <cstdint>
#include <string>

namespace kivo::sim {

struct RunStatus {
  bool finished = false;     // the job has passed its reports
  bool interrupted = false;  // the user asked to stop or closed the window
  bool had_to_stop = false;  // the job ended on an error instead of results
  std::string stop_message;  // non-empty means stop (at most 255 characters)
};

// The window as the sampler sees it. ProcessThem lets the window handle what
// is pending; its handlers may set RunStatus::interrupted, which the sampler
// reads right after the call.
class SimulationWindow {
 public:
  virtual ~SimulationWindow() = default;
  virtual void ProcessThem() = 0;
  virtual void ShowCounts(std::uint64_t attempts, std::int32_t matrices) = 0;
  virtual void HidePrelimLabel() = 0;
};

}  // namespace kivo::sim

#endif  // KIVO_SIM_SIM_RUN_H_
