#pragma once
// The player's missiles.
void UpdatePlayerMissiles();
void DrawPlayerMissiles();
