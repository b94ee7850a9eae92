#pragma once
// Coins dropped by destroyed parts.
void UpdateCoins();
void DrawCoins();
