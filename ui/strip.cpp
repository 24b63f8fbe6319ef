#include "ui/strip.hpp"

namespace kovarra {

namespace {
// The positions are whole pixels, so the double arithmetic of the original design gives exactly
// the integer results; it is kept so that the two never drift apart.
int Moved(int left, double step) {
  return static_cast<int>(static_cast<double>(left) + step);
}
}  // namespace

void LogoStrip::LeftwardTick() {
  strip_.SetLeft(Moved(strip_.Left(), -static_cast<double>(kStripStep)));
  const double stripWidth = strip_.Width();
  const double frameWidth = frame_.Width();
  const double limit = (frameWidth - stripWidth) - kStripStep;
  // The test uses the place read back, which the control may have clamped.
  if (static_cast<double>(strip_.Left()) - limit < -0.0000001) {
    leftTimer_.SetPeriod(0);
    rightTimer_.SetPeriod(kStripPeriod);
  }
}

void LogoStrip::RightwardTick() {
  strip_.SetLeft(Moved(strip_.Left(), static_cast<double>(kStripStep)));
  if (strip_.Left() > kStripRightEnd) {
    rightTimer_.SetPeriod(0);
    leftTimer_.SetPeriod(kStripPeriod);
  }
}

}  // namespace kovarra
