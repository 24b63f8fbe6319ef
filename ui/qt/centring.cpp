#include "ui/qt/centring.hpp"

namespace kovarra {

QPoint CentredClientPlace(const QRect& screen, const QSize& client, const QMargins& frame) {
  const int frameWidth = client.width() + frame.left() + frame.right();
  const int frameHeight = client.height() + frame.top() + frame.bottom();
  return QPoint(screen.left() + (screen.width() - frameWidth) / 2 + frame.left(),
                screen.top() + (screen.height() - frameHeight) / 2 + frame.top());
}

QPoint KeepCentred::Start(const QRect& screen, const QSize& client, const QMargins& frame) {
  screen_ = screen;
  client_ = client;
  frame_ = frame;
  placed_ = CentredClientPlace(screen, client, frame);
  active_ = true;
  return placed_;
}

std::optional<QPoint> KeepCentred::Update(const QPoint& client, const QMargins& frame) {
  if (!active_) return std::nullopt;
  if (frame != frame_) {
    frame_ = frame;
    placed_ = CentredClientPlace(screen_, client_, frame);
    if (client != placed_) return placed_;
    return std::nullopt;
  }
  // Before any frame is known, moves are the window system's own doing.
  if (client != placed_ && !frame.isNull()) active_ = false;
  return std::nullopt;
}

}  // namespace kovarra
