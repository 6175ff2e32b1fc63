#include "docking/DockGeometry.h"

namespace docking {

bool AtEdge(const Rect& w, int screenWidth) {
  return w.left <= 0 || w.right >= screenWidth || w.top <= 0;
}

bool PointerInside(const Rect& w, Point p) {
  return w.left <= p.x && p.x <= w.right && w.top <= p.y && p.y <= w.bottom;
}

Rect SlidePosition(const Rect& start, Slide slide, int step) {
  int dx = 0, dy = 0;
  switch (slide) {
    case Slide::Left: dx = -step; break;
    case Slide::Right: dx = step; break;
    case Slide::Up: dy = -step; break;
    case Slide::Down: dy = step; break;
    case Slide::None: break;
  }
  return {start.left + dx, start.top + dy, start.right + dx, start.bottom + dy};
}

namespace {

void SetSlide(TickPlan& plan, const Rect& start, Slide slide, int distance) {
  plan.slide = slide;
  plan.moves = distance > 0 ? distance : 0;
  plan.end = SlidePosition(start, slide, plan.moves);
}

// The first hidden test that holds, in the order left, right, top.
bool Reveal(TickPlan& plan, const TickInput& in) {
  const Rect& w = in.window;
  if (w.right == in.edgeStrip) {
    SetSlide(plan, w, Slide::Right, plan.windowWidth - in.edgeStrip);
  } else if (w.left == in.screenWidth - in.edgeStrip) {
    SetSlide(plan, w, Slide::Left, plan.windowWidth - in.edgeStrip);
  } else if (w.bottom == in.edgeStrip) {
    SetSlide(plan, w, Slide::Down, plan.windowHeight - in.edgeStrip);
  } else {
    return false;
  }
  return true;
}

// The first parked test that holds; it does not ask whether already hidden.
void Hide(TickPlan& plan, const TickInput& in) {
  const Rect& w = in.window;
  if (w.left == 0) {
    SetSlide(plan, w, Slide::Left, plan.windowWidth - in.edgeStrip);
  } else if (w.right == in.screenWidth) {
    SetSlide(plan, w, Slide::Right, plan.windowWidth - in.edgeStrip);
  } else if (w.top == 0) {
    SetSlide(plan, w, Slide::Up, plan.windowHeight - in.edgeStrip);
  }
}

}  // namespace

TickPlan PlanTick(const TickInput& in) {
  TickPlan plan;
  plan.windowWidth = in.window.right - in.window.left;
  plan.windowHeight = in.window.bottom - in.window.top;
  plan.end = in.window;
  plan.revealPending = in.revealPending;
  plan.topmostApplied = in.topmostApplied;

  const bool atEdge = AtEdge(in.window, in.screenWidth);
  if (atEdge && in.topmostApplied == 0) {
    plan.band = Band::Topmost;
    plan.topmostApplied = 1;
  } else if (!atEdge && in.topmostApplied == 1) {
    plan.band = Band::NotTopmost;
    plan.topmostApplied = 0;
  }

  const bool inside = PointerInside(in.window, in.pointer);
  if (in.revealPending == 1 || inside) {
    if (inside) plan.revealPending = 0;
    // The revealed window sits on an edge again: the next tick re-applies the
    // topmost band, and with it brings the window to the front.
    if (Reveal(plan, in)) plan.topmostApplied = 0;
  } else {
    Hide(plan, in);
  }
  return plan;
}

Rect ConfineMoving(Rect r, int windowWidth, int windowHeight, int screenWidth,
                   int screenHeight) {
  // Each test sees what the ones before it left, so a window wider than the
  // screen ends flush with the right edge, one taller with the bottom edge.
  if (r.left <= 0) {
    r.left = 0;
    r.right = windowWidth;
  }
  if (r.right >= screenWidth) {
    r.left = screenWidth - windowWidth;
    r.right = screenWidth;
  }
  if (r.top < 0) {
    r.top = 0;
    r.bottom = windowHeight;
  }
  if (r.bottom > screenHeight) {
    r.top = screenHeight - windowHeight;
    r.bottom = screenHeight;
  }
  return r;
}

bool SnapshotTaken(int windowWidth, int windowHeight, int screenWidth, int screenHeight) {
  return windowWidth > 0 && windowHeight > 0 && screenWidth > 0 && screenHeight > 0;
}

TrackLimits TrackingLimits(int minTrackWidth, int minTrackHeight, int screenWidth,
                           int screenHeight, std::optional<int> taskbarHeight) {
  return {minTrackWidth, minTrackHeight, screenWidth,
          screenHeight - taskbarHeight.value_or(kTaskbarHeightUnknown)};
}

}  // namespace docking
