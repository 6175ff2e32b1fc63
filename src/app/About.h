#pragma once
#include "common/Text.h"

// The About box, which counts down and closes itself.

// Ticks left before the box is closed; 6 at start, back to 6 only at zero.
extern int AboutCountdown;

Text AboutFirstText();
Text AboutCountdownText(int count);

void ShowAbout();
void AboutTick();
