#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "docking/DockGeometry.h"

using namespace docking;

namespace docking {
void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
}  // namespace docking

namespace {

// A 1280x800 screen and an 844x600 window, in the places the docking knows.
constexpr int kSw = 1280, kSh = 800, kW = 844, kH = 600;
constexpr Rect kCentred{218, 100, 218 + kW, 100 + kH};
constexpr Rect kParkedLeft{0, 100, kW, 700};
constexpr Rect kHiddenLeft{1 - kW, 100, 1, 700};
constexpr Rect kParkedRight{kSw - kW, 100, kSw, 700};
constexpr Rect kHiddenRight{kSw - 1, 100, kSw - 1 + kW, 700};
constexpr Rect kParkedTop{218, 0, 218 + kW, kH};
constexpr Rect kHiddenTop{218, 1 - kH, 218 + kW, 1};
constexpr Point kAway{1200, 780};

struct TickCase {
  const char* name;
  Rect window;
  Point pointer;
  int revealPending;
  int topmostApplied;
  // expected
  Band band;
  Slide slide;
  int moves;
  Rect end;
  int revealPendingAfter;
  int topmostAppliedAfter;
  int screenWidth = kSw;
};

const TickCase kTickCases[] = {
    {"FreeStaysPut", kCentred, kAway, 0, 0, Band::Unchanged, Slide::None, 0, kCentred, 0, 0},
    {"FreeLeavesTopmostBand", kCentred, kAway, 0, 1, Band::NotTopmost, Slide::None, 0,
     kCentred, 0, 0},
    {"PointerOverFreeWindowClearsRevealPending", kCentred, {500, 400}, 1, 0, Band::Unchanged,
     Slide::None, 0, kCentred, 0, 0},
    {"ParkedLeftHides", kParkedLeft, kAway, 0, 0, Band::Topmost, Slide::Left, kW - 1,
     kHiddenLeft, 0, 1},
    {"ParkedLeftWaitsForPointerFirst", kParkedLeft, kAway, 1, 0, Band::Topmost, Slide::None, 0,
     kParkedLeft, 1, 1},
    {"ParkedLeftPointerInsideStays", kParkedLeft, {400, 300}, 1, 1, Band::Unchanged,
     Slide::None, 0, kParkedLeft, 0, 1},
    {"HiddenLeftRevealsOnColumnZero", kHiddenLeft, {0, 300}, 0, 1, Band::Unchanged,
     Slide::Right, kW - 1, kParkedLeft, 0, 0},
    {"HiddenLeftRightColumnCountsInside", kHiddenLeft, {1, 300}, 0, 1, Band::Unchanged,
     Slide::Right, kW - 1, kParkedLeft, 0, 0},
    {"HiddenLeftBottomRowCountsInside", kHiddenLeft, {0, 700}, 0, 1, Band::Unchanged,
     Slide::Right, kW - 1, kParkedLeft, 0, 0},
    {"HiddenLeftPointerBesideStays", kHiddenLeft, {2, 300}, 0, 1, Band::Unchanged, Slide::None,
     0, kHiddenLeft, 0, 1},
    {"HiddenLeftPointerBelowStays", kHiddenLeft, {0, 701}, 0, 1, Band::Unchanged, Slide::None, 0,
     kHiddenLeft, 0, 1},
    {"HiddenLeftRevealsWhileRevealPending", kHiddenLeft, kAway, 1, 1, Band::Unchanged,
     Slide::Right, kW - 1, kParkedLeft, 1, 0},
    {"ParkedRightHides", kParkedRight, kAway, 0, 1, Band::Unchanged, Slide::Right, kW - 1,
     kHiddenRight, 0, 1},
    {"HiddenRightReveals", kHiddenRight, {kSw - 1, 650}, 0, 1, Band::Unchanged, Slide::Left,
     kW - 1, kParkedRight, 0, 0},
    {"ParkedTopHides", kParkedTop, kAway, 0, 0, Band::Topmost, Slide::Up, kH - 1, kHiddenTop, 0,
     1},
    {"HiddenTopReveals", kHiddenTop, {900, 0}, 0, 1, Band::Unchanged, Slide::Down, kH - 1,
     kParkedTop, 0, 0},
    // The bottom edge is not an edge: neither topmost nor hidden, even beyond it.
    {"OnBottomEdgeStaysPut", {218, 200, 218 + kW, 800}, kAway, 0, 0, Band::Unchanged,
     Slide::None, 0, {218, 200, 218 + kW, 800}, 0, 0},
    {"BeyondBottomEdgeStaysPut", {218, 300, 218 + kW, 900}, {0, 0}, 0, 0, Band::Unchanged,
     Slide::None, 0, {218, 300, 218 + kW, 900}, 0, 0},
    {"BeyondLeftEdgeTopmostButStays", {-100, 100, kW - 100, 700}, kAway, 0, 0, Band::Topmost,
     Slide::None, 0, {-100, 100, kW - 100, 700}, 0, 1},
    // Parked left and hidden top: hiding follows the parked test, revealing the hidden one.
    {"ParkedLeftHiddenTopHidesLeft", {0, 1 - kH, kW, 1}, kAway, 0, 1, Band::Unchanged,
     Slide::Left, kW - 1, {1 - kW, 1 - kH, 1, 1}, 0, 1},
    {"ParkedLeftHiddenTopRevealsDown", {0, 1 - kH, kW, 1}, {10, 0}, 0, 1, Band::Unchanged,
     Slide::Down, kH - 1, {0, 0, kW, kH}, 0, 0},
    // One pixel wide: the left case is taken but there is nothing to slide.
    {"OnePixelWideDoesNotHide", {0, 100, 1, 700}, kAway, 0, 1, Band::Unchanged, Slide::Left, 0,
     {0, 100, 1, 700}, 0, 1},
    {"OnePixelWideDoesNotReveal", {0, 100, 1, 700}, {0, 300}, 0, 1, Band::Unchanged,
     Slide::Right, 0, {0, 100, 1, 700}, 0, 0},
    {"ZeroWideDoesNotSlide", {0, 100, 0, 700}, kAway, 0, 1, Band::Unchanged, Slide::Left, 0,
     {0, 100, 0, 700}, 0, 1},
    // Hidden right on 1280, then the screen became 1024: the strip is off-screen
    // and no longer matches, so the window stays where it is, topmost.
    {"HiddenAfterScreenShrankUnrecognised", kHiddenRight, {1000, 300}, 0, 0, Band::Topmost,
     Slide::None, 0, kHiddenRight, 0, 1, 1024},
    {"HiddenAfterScreenGrewUnrecognised", kHiddenRight, {1000, 300}, 0, 1, Band::Unchanged,
     Slide::None, 0, kHiddenRight, 0, 1, 1920},
    {"WiderThanScreenTopmostButStays", {-10, 100, 1290, 700}, kAway, 0, 0, Band::Topmost,
     Slide::None, 0, {-10, 100, 1290, 700}, 0, 1},
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.name; }

class Tick : public testing::TestWithParam<TickCase> {};

TEST_P(Tick, Plan) {
  const TickCase& c = GetParam();
  TickInput in{c.window, c.screenWidth, kSh, c.pointer, c.revealPending, c.topmostApplied, 1};
  const TickPlan plan = PlanTick(in);
  EXPECT_EQ(plan.windowWidth, c.window.right - c.window.left);
  EXPECT_EQ(plan.windowHeight, c.window.bottom - c.window.top);
  EXPECT_EQ(plan.band, c.band);
  EXPECT_EQ(plan.slide, c.slide);
  EXPECT_EQ(plan.moves, c.moves);
  EXPECT_EQ(plan.end, c.end);
  EXPECT_EQ(plan.revealPending, c.revealPendingAfter);
  EXPECT_EQ(plan.topmostApplied, c.topmostAppliedAfter);
  // The moves are single pixels from the rectangle read at the start, ending at `end`.
  if (plan.moves > 0) {
    const Rect first = SlidePosition(c.window, plan.slide, 1);
    EXPECT_EQ(std::abs(first.left - c.window.left) + std::abs(first.top - c.window.top), 1);
    EXPECT_EQ(first.right - first.left, plan.windowWidth);
    EXPECT_EQ(SlidePosition(c.window, plan.slide, plan.moves), c.end);
  }
}

INSTANTIATE_TEST_SUITE_P(Docking, Tick, testing::ValuesIn(kTickCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Runs ticks as the timer would, carrying the window and the flags from one to the next.
struct Desk {
  TickInput state{kCentred, kSw, kSh, kAway, 0, 0, 1};
  std::vector<Band> bands;

  TickPlan Tick() {
    const TickPlan plan = PlanTick(state);
    state.window = plan.end;
    state.revealPending = plan.revealPending;
    state.topmostApplied = plan.topmostApplied;
    bands.push_back(plan.band);
    return plan;
  }
};

TEST(DockingSequence, TopLeftCornerHidesInTwoTicksAndRevealsInTwo) {
  Desk desk;
  desk.state.window = {0, 0, kW, kH};

  EXPECT_EQ(desk.Tick().slide, Slide::Left);
  EXPECT_EQ(desk.state.window, (Rect{1 - kW, 0, 1, kH}));
  EXPECT_EQ(desk.Tick().slide, Slide::Up);
  EXPECT_EQ(desk.state.window, (Rect{1 - kW, 1 - kH, 1, 1}));
  // Only the pixel at (0, 0) is left; nothing more happens.
  EXPECT_EQ(desk.Tick().slide, Slide::None);
  EXPECT_EQ(desk.state.window, (Rect{1 - kW, 1 - kH, 1, 1}));

  desk.state.pointer = {0, 0};
  EXPECT_EQ(desk.Tick().slide, Slide::Right);
  EXPECT_EQ(desk.state.window, (Rect{0, 1 - kH, kW, 1}));
  EXPECT_EQ(desk.Tick().slide, Slide::Down);
  EXPECT_EQ(desk.state.window, (Rect{0, 0, kW, kH}));
  EXPECT_EQ(desk.Tick().slide, Slide::None);

  // Topmost once on parking; each reveal drops the flag so the tick after it
  // enters the band again.
  EXPECT_EQ(desk.bands, (std::vector<Band>{Band::Topmost, Band::Unchanged, Band::Unchanged,
                                           Band::Unchanged, Band::Topmost, Band::Topmost}));
  EXPECT_EQ(desk.state.topmostApplied, 1);
}

TEST(DockingSequence, NothingHidesUntilThePointerHasBeenOverTheWindow) {
  Desk desk;
  desk.state.revealPending = 1;
  desk.state.window = kParkedLeft;  // placed on the edge by other means
  for (int i = 0; i < 3; ++i) EXPECT_EQ(desk.Tick().slide, Slide::None);
  EXPECT_EQ(desk.state.window, kParkedLeft);

  desk.state.pointer = {300, 300};
  desk.Tick();
  EXPECT_EQ(desk.state.revealPending, 0);
  desk.state.pointer = kAway;
  desk.Tick();
  EXPECT_EQ(desk.state.window, kHiddenLeft);
}

TEST(DockingSequence, LeavingTheEdgesDropsTheTopmostBandOnTheNextTick) {
  Desk desk;
  desk.state.window = kParkedTop;
  desk.state.pointer = {300, 300};
  desk.Tick();
  EXPECT_EQ(desk.state.topmostApplied, 1);
  desk.state.window = kCentred;  // dragged away
  EXPECT_EQ(desk.Tick().band, Band::NotTopmost);
  EXPECT_EQ(desk.Tick().band, Band::Unchanged);
  EXPECT_EQ(desk.state.topmostApplied, 0);
}

TEST(DockingGeometry, EdgeAndPointerTests) {
  EXPECT_TRUE(AtEdge({0, 5, 10, 10}, kSw));
  EXPECT_TRUE(AtEdge({5, 5, kSw, 10}, kSw));
  EXPECT_TRUE(AtEdge({5, 0, 10, 10}, kSw));
  EXPECT_FALSE(AtEdge({1, 1, kSw - 1, kSh + 50}, kSw));

  const Rect w{10, 20, 30, 40};
  EXPECT_TRUE(PointerInside(w, {10, 20}));
  EXPECT_TRUE(PointerInside(w, {30, 40}));
  EXPECT_FALSE(PointerInside(w, {9, 30}));
  EXPECT_FALSE(PointerInside(w, {31, 30}));
  EXPECT_FALSE(PointerInside(w, {20, 19}));
  EXPECT_FALSE(PointerInside(w, {20, 41}));
}

struct MovingCase {
  const char* name;
  Rect proposed;
  int width, height;  // of the last tick
  Rect confined;
};

const MovingCase kMovingCases[] = {
    {"Inside", {200, 100, 200 + kW, 700}, kW, kH, {200, 100, 200 + kW, 700}},
    {"PastLeft", {-50, 100, kW - 50, 700}, kW, kH, {0, 100, kW, 700}},
    {"OnLeftKeepsLastTickWidth", {0, 100, 900, 700}, kW, kH, {0, 100, kW, 700}},
    {"PastRight", {500, 100, 500 + kW, 700}, kW, kH, {kSw - kW, 100, kSw, 700}},
    {"PastTop", {218, -20, 218 + kW, kH - 20}, kW, kH, {218, 0, 218 + kW, kH}},
    {"OnTopUnchanged", {218, 0, 218 + kW, kH + 5}, kW, kH, {218, 0, 218 + kW, kH + 5}},
    {"PastBottom", {218, 250, 218 + kW, 850}, kW, kH, {218, kSh - kH, 218 + kW, kSh}},
    {"PastTopLeftCorner", {-5, -5, kW - 5, kH - 5}, kW, kH, {0, 0, kW, kH}},
    {"WiderThanScreenEndsOnRightEdge", {-10, 100, 1390, 700}, 1400, kH, {-120, 100, kSw, 700}},
    {"TallerThanScreenEndsOnBottomEdge", {100, -10, 100 + kW, 890}, kW, 900,
     {100, -100, 100 + kW, kSh}},
};

void PrintTo(const MovingCase& c, std::ostream* os) { *os << c.name; }

class Moving : public testing::TestWithParam<MovingCase> {};

TEST_P(Moving, Confined) {
  const MovingCase& c = GetParam();
  EXPECT_EQ(ConfineMoving(c.proposed, c.width, c.height, kSw, kSh), c.confined);
}

INSTANTIATE_TEST_SUITE_P(Docking, Moving, testing::ValuesIn(kMovingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DockingLimits, OnlyAfterTheFirstTick) {
  EXPECT_TRUE(SnapshotTaken(kW, kH, kSw, kSh));
  EXPECT_FALSE(SnapshotTaken(0, 0, 0, 0));
  EXPECT_FALSE(SnapshotTaken(kW, kH, kSw, 0));
  EXPECT_FALSE(SnapshotTaken(0, kH, kSw, kSh));
}

TEST(DockingLimits, TaskbarRule) {
  // Bottom taskbar 40 high on a 1080-high screen.
  EXPECT_EQ(TrackingLimits(100, 100, 1920, 1080, 40), (TrackLimits{100, 100, 1920, 1040}));
  // No taskbar, or none readable.
  EXPECT_EQ(TrackingLimits(100, 100, 1920, 1080, std::nullopt),
            (TrackLimits{100, 100, 1920, 1050}));
  // A side taskbar is as high as the screen: the maximum falls below the minimum.
  EXPECT_EQ(TrackingLimits(100, 100, 1920, 1080, 1080), (TrackLimits{100, 100, 1920, 0}));
}

}  // namespace
