#pragma once

#include <lv2/core/lv2.h>

#include <cstdint>

// Declarations of the inline display extension (http://harrisonconsoles.com/lv2/inlinedisplay),
// written from its public documentation: a host such as Ardour shows a small picture the
// plug-in renders in its mixer strip. The plug-in asks for a redraw from run() through the
// host's queue_draw feature; the host then calls render() outside the audio thread.
inline constexpr const char* kLv2InlineDisplayUri = "http://harrisonconsoles.com/lv2/inlinedisplay";
inline constexpr const char* kLv2InlineDisplayInterfaceUri =
    "http://harrisonconsoles.com/lv2/inlinedisplay#interface";
inline constexpr const char* kLv2InlineDisplayQueueDrawUri =
    "http://harrisonconsoles.com/lv2/inlinedisplay#queue_draw";

// Pixels in cairo's ARGB32 layout (premultiplied, native-endian 32-bit words), owned by the
// plug-in and valid from the first render() until the instance is cleaned up or rendered
// again.
struct Lv2InlineDisplaySurface
{
    unsigned char* data;
    int width;
    int height;
    int stride;
};

// The host's feature (queue_draw): called from run() to ask for a render() later.
struct Lv2InlineDisplayQueue
{
    void* handle;
    void (*queueDraw)(void* handle);
};

// The plug-in's extension data (interface): render a picture at most `width` wide and
// `maxHeight` high; null when there is nothing to show.
struct Lv2InlineDisplayInterface
{
    Lv2InlineDisplaySurface* (*render)(LV2_Handle instance, uint32_t width, uint32_t maxHeight);
};
