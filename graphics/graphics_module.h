#pragma once
// Start-up and shut-down of the graphics module: screen resolution, stock
// objects, the default font, the handle caches, the canvas bookkeeping and the
// colour and character-set identifier maps.

void GraphicsModuleStartup();
void GraphicsModuleShutdown();

// Fills DefaultFontAttributes: an 8-point font named after the "MS Shell Dlg 2"
// substitute from the registry, or "MS Sans Serif" when there is none.
void InitDefaultFont();
