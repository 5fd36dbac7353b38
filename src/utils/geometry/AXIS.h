#pragma once
// Selects one coordinate axis.

enum class AXIS : int { x = 0, y = 1, z = 2 };
