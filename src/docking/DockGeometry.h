#pragma once
#include <optional>

// Everything the docking timer and the move/size procedure decide, as plain
// arithmetic on screen pixels. Rectangles are outer window rectangles with
// right and bottom exclusive, as the system reports them.
namespace docking {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0, y = 0;
};

enum class Band { Unchanged, Topmost, NotTopmost };
enum class Slide { None, Left, Right, Up, Down };

// What one tick sees.
struct TickInput {
  Rect window;
  int screenWidth = 0, screenHeight = 0;
  Point pointer;
  int revealPending = 0;
  int topmostApplied = 0;
  int edgeStrip = 1;
};

// What one tick does: the band change first, then `moves` one-pixel moves in
// the slide's direction, ending at `end`.
struct TickPlan {
  int windowWidth = 0, windowHeight = 0;
  Band band = Band::Unchanged;
  Slide slide = Slide::None;  // the case taken, even when it moves nothing
  int moves = 0;
  Rect end;
  int revealPending = 0;
  int topmostApplied = 0;
  bool operator==(const TickPlan&) const = default;
};

// Left, right or top edge touched or crossed; the bottom never counts.
bool AtEdge(const Rect& window, int screenWidth);
// The right column and bottom row count as inside, though the window does not cover them.
bool PointerInside(const Rect& window, Point pointer);

TickPlan PlanTick(const TickInput& in);

// The rectangle after move `step` (1-based) of a slide from `start`.
Rect SlidePosition(const Rect& start, Slide slide, int step);

// The drag rectangle pushed back inside the screen, sized as at the last tick.
Rect ConfineMoving(Rect proposed, int windowWidth, int windowHeight, int screenWidth,
                   int screenHeight);

// The constraints apply only once a tick has measured window and screen.
bool SnapshotTaken(int windowWidth, int windowHeight, int screenWidth, int screenHeight);

struct TrackLimits {
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  bool operator==(const TrackLimits&) const = default;
};

constexpr int kTaskbarHeightUnknown = 30;

// taskbarHeight: height of the taskbar's window rectangle, none when there is
// no taskbar or its rectangle cannot be read.
TrackLimits TrackingLimits(int minTrackWidth, int minTrackHeight, int screenWidth,
                           int screenHeight, std::optional<int> taskbarHeight);

}  // namespace docking
