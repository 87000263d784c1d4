#pragma once

// Which scroll bars a control shows; the grids and the editor share it.
enum TScrollStyle : int { ssNone, ssHorizontal, ssVertical, ssBoth };
