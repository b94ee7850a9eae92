#pragma once
// The enemies' shells.
void UpdateEnemyShells();
void DrawEnemyShells();
