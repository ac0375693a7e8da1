// How a picture is reached from the previous one. Any value outside 0..6 behaves as "None".
#pragma once

enum TransitionKind : int {
  TransitionNone = 0,
  TransitionFadeIn = 1,
  TransitionFromLeft = 2,
  TransitionFromTop = 3,
  TransitionFromRight = 4,
  TransitionFromBottom = 5,
  TransitionSquare = 6,
};

// The names the editor offers, in item order.
inline constexpr const char* kTransitionNames[] = {"None",       "Fade In",     "From Left", "From Top",
                                                   "From Right", "From Bottom", "Square"};
