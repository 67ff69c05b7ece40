#pragma once

// Chooses the window system the module's editors open in. Called once, before the module makes
// its first plug-in instance (each instance creates its editor when it is made).
void UseModuleWindowSystem();
