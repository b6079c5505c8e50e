// Steps run one after another from thread timers, for tests of windows
// that run their own modal loop (the steps run inside it).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace lumora::test {

struct TTimerSteps {
  std::vector<std::function<void()>> Steps;
  size_t Next = 0;
};

inline TTimerSteps& TimerSteps() {
  static TTimerSteps steps;
  return steps;
}

inline void CALLBACK RunTimerStep(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  TTimerSteps& steps = TimerSteps();
  if (steps.Next < steps.Steps.size()) steps.Steps[steps.Next++]();
}

// Schedules each step delay milliseconds after the previous one.
inline void Schedule(std::vector<std::function<void()>> steps, UINT delay = 50) {
  TimerSteps() = {std::move(steps), 0};
  for (size_t i = 0; i < TimerSteps().Steps.size(); ++i)
    ::SetTimer(nullptr, 0, delay * static_cast<UINT>(i + 1), &RunTimerStep);
}

// How many steps have run.
inline size_t StepsRun() { return TimerSteps().Next; }

}  // namespace lumora::test
