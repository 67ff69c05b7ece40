#pragma once

class IGraphics;
class IPlugBase;

// Creates the editor's platform class. Without a registered window system the editor runs
// offscreen (IGraphicsOffscreen); a windowing library registers its factory at start-up.
using PlatformGraphicsFactory = IGraphics* (*)(IPlugBase* plug, int width, int height,
                                               int frameRate);

IGraphics* CreatePlatformGraphics(IPlugBase* plug, int width, int height, int frameRate);
// Returns the previous factory; null restores the offscreen default.
PlatformGraphicsFactory SetPlatformGraphicsFactory(PlatformGraphicsFactory factory);
