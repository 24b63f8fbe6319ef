#include "ui/qt/centring.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace kovarra {
namespace {

const QSize kClient(960, 606);

TEST(CentringTest, TheFrameIsCentredWithIntegerDivision) {
  struct Case {
    const char* name;
    QRect screen;
    QMargins frame;
    QPoint client;
  };
  const std::vector<Case> cases = {
      // 968 x 639 outside, as with the Windows frame: (1920 - 968) / 2, (1080 - 639) / 2.
      {"windows frame", QRect(0, 0, 1920, 1080), QMargins(4, 29, 4, 4), QPoint(476 + 4, 220 + 29)},
      {"thin frame", QRect(0, 0, 1280, 800), QMargins(1, 20, 1, 1), QPoint(159 + 1, 86 + 20)},
      {"no frame yet", QRect(0, 0, 1280, 800), QMargins(), QPoint(160, 97)},
      {"screen not at the origin", QRect(1920, 0, 1366, 768), QMargins(4, 29, 4, 4),
       QPoint(1920 + 199 + 4, 64 + 29)},
      // Smaller than the window: the division truncates toward zero.
      {"small screen", QRect(0, 0, 800, 600), QMargins(4, 29, 4, 4), QPoint(-84 + 4, -19 + 29)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CentredClientPlace(c.screen, kClient, c.frame), c.client) << c.name;
  }
}

TEST(CentringTest, ALateFrameIsCentredAgainUntilTheUserMovesTheWindow) {
  const QRect screen(0, 0, 1280, 800);
  const QMargins late(1, 20, 1, 1);
  KeepCentred centring;
  const QPoint first = centring.Start(screen, kClient, QMargins());
  EXPECT_EQ(first, QPoint(160, 97));
  EXPECT_EQ(centring.Update(first, QMargins()), std::nullopt);
  // Moved by the window system before any frame is known: not the user.
  EXPECT_EQ(centring.Update(QPoint(0, 0), QMargins()), std::nullopt);

  // The frame arrives after showing: the client goes down by half the title bar.
  const auto second = centring.Update(first, late);
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, QPoint(160, 106));
  EXPECT_EQ(centring.Update(*second, late), std::nullopt);

  // A frame that changes once more is followed too.
  const QMargins wider(4, 29, 4, 4);
  EXPECT_EQ(centring.Update(*second, wider), CentredClientPlace(screen, kClient, wider));

  // The user drags it away: it stays there, whatever the frame does next.
  const QPoint dragged(30, 40);
  EXPECT_EQ(centring.Update(dragged, wider), std::nullopt);
  EXPECT_EQ(centring.Update(dragged, late), std::nullopt);
}

TEST(CentringTest, AFrameKnownBeforeShowingNeedsNoSecondPlace) {
  KeepCentred centring;
  const QMargins frame(4, 29, 4, 4);
  const QPoint place = centring.Start(QRect(0, 0, 1920, 1080), kClient, frame);
  EXPECT_EQ(centring.Update(place, frame), std::nullopt);
}

}  // namespace
}  // namespace kovarra
