// Arithmetic of window placement, free of the platform so it is tested natively.
#pragma once

// The left (or top) coordinate that centres the span [low, high) in a reference extent that
// starts at 0, computed in single precision and truncated toward zero.
int CenterOnScreenExtent(int screenExtent, int low, int high);

// The same over a base span [baseLow, baseHigh).
int CenterOverSpan(int baseLow, int baseHigh, int low, int high);

// The screen clamp: before the start moves to 0; a start beyond the screen's end moves back so
// that the window ends at that edge. A window that merely overhangs the end stays.
int ClampToScreen(int position, int screenExtent, int windowExtent);

// Adds an offset as a 32-bit integer addition that wraps.
int AddOffset(int position, int offset);
