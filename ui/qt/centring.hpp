#pragma once

// Centring the window's frame on the screen. A window manager may give the frame only after the
// window is shown, so the place is worked out again whenever the frame turns out different.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace kovarra {

// Where the client area goes so that the frame around it is centred on the screen: the frame's
// left is (screen width - frame width) / 2, its top likewise, in integer division.
QPoint CentredClientPlace(const QRect& screen, const QSize& client, const QMargins& frame);

// Keeps a window centred while its frame is still being given, until the user moves it.
class KeepCentred {
 public:
  // The place for the frame known now (none at all before the window is shown).
  QPoint Start(const QRect& screen, const QSize& client, const QMargins& frame);
  // After the window was moved, resized or exposed: the new place when the frame differs from
  // the one the window was last centred for. A move elsewhere with the frame unchanged is the
  // user's, and from then on the window stays where it is put.
  std::optional<QPoint> Update(const QPoint& client, const QMargins& frame);

 private:
  QRect screen_;
  QSize client_;
  QMargins frame_;
  QPoint placed_;
  bool active_ = false;
};

}  // namespace kovarra
