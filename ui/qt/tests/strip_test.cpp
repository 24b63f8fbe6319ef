#include "ui/strip.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kovarra {
namespace {

struct FakePlace : PlacedControl {
  int left = 0;
  int width = 0;
  int Left() const override { return left; }
  void SetLeft(int value) override { left = value; }
  int Width() const override { return width; }
};

struct FakeTimer : PeriodicTimer {
  FakeTimer(std::string n, std::vector<std::string>& l) : name(std::move(n)), log(l) {}
  std::string name;
  std::vector<std::string>& log;
  int period = 0;
  int Period() const override { return period; }
  void SetPeriod(int value) override {
    period = value;
    log.push_back(name + "=" + std::to_string(value));
  }
};

struct StripRig {
  std::vector<std::string> log;
  FakePlace strip;
  FakePlace frame;
  FakeTimer left{"left", log};
  FakeTimer right{"right", log};
  LogoStrip logic{strip, frame, left, right};

  StripRig() {
    strip.left = 2;
    strip.width = 1992;
    frame.width = 960;
    left.period = 100;
  }
  // Ticks whichever timer runs until the direction changes; returns the positions seen.
  std::vector<int> Sweep() {
    std::vector<int> seen;
    const bool leftward = left.period > 0;
    while ((leftward ? left.period : right.period) > 0 && seen.size() < 1000) {
      leftward ? logic.LeftwardTick() : logic.RightwardTick();
      seen.push_back(strip.left);
    }
    return seen;
  }
};

TEST(LogoStripTest, SwingsBetweenTheDesignedEnds) {
  StripRig rig;
  std::vector<int> left = rig.Sweep();
  ASSERT_EQ(left.size(), 105u);
  EXPECT_EQ(left[0], -8);
  EXPECT_EQ(left[1], -18);
  EXPECT_EQ(left[103], -1038);
  EXPECT_EQ(left.back(), -1048);
  // The ticking timer is stopped before the other starts.
  EXPECT_EQ(rig.log, (std::vector<std::string>{"left=0", "right=100"}));

  rig.log.clear();
  std::vector<int> right = rig.Sweep();
  ASSERT_EQ(right.size(), 106u);
  EXPECT_EQ(right.front(), -1038);
  EXPECT_EQ(right.back(), 12);
  EXPECT_EQ(rig.log, (std::vector<std::string>{"right=0", "left=100"}));

  std::vector<int> again = rig.Sweep();
  ASSERT_EQ(again.size(), 106u);
  EXPECT_EQ(again.back(), -1048);
}

TEST(LogoStripTest, TurnsOnlyPastTheEnds) {
  struct Case {
    int start;
    bool leftward;
    int after;
    bool turns;
  };
  // The limit with the designed widths is 960 - 1992 - 10 = -1042.
  const Case cases[] = {
      {0, false, 10, false},       {1, false, 11, true},       {-20, false, -10, false},
      {-1032, true, -1042, false}, {-1033, true, -1043, true}, {2, true, -8, false},
  };
  for (const Case& c : cases) {
    StripRig rig;
    rig.strip.left = c.start;
    rig.left.period = c.leftward ? 100 : 0;
    rig.right.period = c.leftward ? 0 : 100;
    c.leftward ? rig.logic.LeftwardTick() : rig.logic.RightwardTick();
    EXPECT_EQ(rig.strip.left, c.after) << c.start;
    EXPECT_EQ(!rig.log.empty(), c.turns) << c.start;
  }
}

TEST(LogoStripTest, LimitFollowsTheWidthsAtEveryTick) {
  StripRig rig;
  rig.strip.left = -500;
  rig.logic.LeftwardTick();
  EXPECT_TRUE(rig.log.empty());
  rig.frame.width = 1600;  // limit now 1600 - 1992 - 10 = -402
  rig.logic.LeftwardTick();
  EXPECT_EQ(rig.strip.left, -520);
  EXPECT_EQ(rig.log, (std::vector<std::string>{"left=0", "right=100"}));
}

}  // namespace
}  // namespace kovarra
