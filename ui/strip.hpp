#pragma once

// The swinging logo strip: two tick handlers over the small control interfaces they need, so
// they run the same against the Qt window and against plain fakes.

namespace kovarra {

// A control's horizontal place in its parent and its outer width.
class PlacedControl {
 public:
  virtual ~PlacedControl() = default;
  virtual int Left() const = 0;
  // Held within -32627 … 32627; the control is repainted at once.
  virtual void SetLeft(int left) = 0;
  virtual int Width() const = 0;
};

// A timer's period in milliseconds; 0 means stopped.
class PeriodicTimer {
 public:
  virtual ~PeriodicTimer() = default;
  virtual int Period() const = 0;
  // Negative counts as 0. Writing the current value changes nothing, not even the time to the
  // next tick; any other value restarts the timer so that it ticks one full period later.
  virtual void SetPeriod(int period) = 0;
};

inline constexpr int kStripStep = 10;
inline constexpr int kStripPeriod = 100;
inline constexpr int kStripRightEnd = 10;

class LogoStrip {
 public:
  LogoStrip(PlacedControl& strip, PlacedControl& frame, PeriodicTimer& leftTimer,
            PeriodicTimer& rightTimer)
      : strip_(strip), frame_(frame), leftTimer_(leftTimer), rightTimer_(rightTimer) {}

  // Handler of 时钟_向左滚动.
  void LeftwardTick();
  // Handler of 时钟_向右滚动.
  void RightwardTick();

 private:
  PlacedControl& strip_;
  PlacedControl& frame_;
  PeriodicTimer& leftTimer_;
  PeriodicTimer& rightTimer_;
};

}  // namespace kovarra
