#pragma once

// The editor's fixed size (pixels) and frame rate (frames per second); pictures drawn for hosts
// elsewhere (the inline display) are paced by the same rate.
inline constexpr int kEditorWidth = 800;
inline constexpr int kEditorHeight = 600;
inline constexpr int kEditorFrameRate = 30;
