#include "apps/kestrune/ResponsePlot.h"

#include "controls/CurveColours.h"
#include "engine/BandResponse.h"
#include "plugin/VantorKestrune.h"
#include "resources/ModuleResources.h"
#include "session/EditorPicture.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace kestrune::cli
{

namespace
{

constexpr int kWidth = 900;
constexpr int kHeight = 520;
constexpr double kPlotLeft = 70.0;
constexpr double kPlotRight = kWidth - 70.0;
constexpr double kPlotTop = 40.0;
constexpr double kPlotBottom = kHeight - 50.0;
constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;
constexpr double kLevelFloorDb = -72.0; // bottom of the level axis
constexpr double kPi = 3.14159265358979323846;

void SetColour(cairo_t* cr, const CurveColour& c, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, alpha);
}

// The editor's label font, read from the module's resources like the editor does.
class EditorFont
{
public:
    EditorFont()
    {
        ResourceBytes bytes;
        if (!FindModuleResource(nullptr, kFontTitilliumLabels, kResourceTypeRawData, bytes))
            return;
        if (FT_Init_FreeType(&library) != 0)
            return;
        if (FT_New_Memory_Face(library, bytes.data, static_cast<FT_Long>(bytes.size), 0, &face) !=
            0)
            return;
        fontFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    }
    ~EditorFont()
    {
        if (fontFace)
            cairo_font_face_destroy(fontFace);
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
    EditorFont(const EditorFont&) = delete;
    EditorFont& operator=(const EditorFont&) = delete;

    void Use(cairo_t* cr, double size) const
    {
        if (fontFace)
            cairo_set_font_face(cr, fontFace);
        cairo_set_font_size(cr, size);
    }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    cairo_font_face_t* fontFace = nullptr;
};

// Text whose anchor point is placed by alignment fractions (0 left/top, 0.5 centre, 1 right).
void ShowText(cairo_t* cr, const char* text, double x, double y, double alignX, double alignY)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, x - extents.x_bearing - extents.width * alignX,
                  y - extents.y_bearing - extents.height * alignY);
    cairo_show_text(cr, text);
}

struct Axes
{
    double gainRangeDb = 18.0; // symmetric: -range .. +range

    double X(double freqHz) const
    {
        const double t = std::log(freqHz / kLowHz) / std::log(kHighHz / kLowHz);
        return kPlotLeft + t * (kPlotRight - kPlotLeft);
    }
    double YGain(double db) const
    {
        const double t = (db + gainRangeDb) / (2.0 * gainRangeDb);
        return kPlotBottom - std::clamp(t, 0.0, 1.0) * (kPlotBottom - kPlotTop);
    }
    double YLevel(double db) const
    {
        const double t = (db - kLevelFloorDb) / -kLevelFloorDb;
        return kPlotBottom - std::clamp(t, 0.0, 1.0) * (kPlotBottom - kPlotTop);
    }
};

std::string FrequencyText(double hz)
{
    char text[16];
    if (hz >= 1000.0)
        std::snprintf(text, sizeof text, "%gk", hz / 1000.0);
    else
        std::snprintf(text, sizeof text, "%g", hz);
    return text;
}

void DrawGrid(cairo_t* cr, const Axes& axes, const EditorFont& font, bool showLevels)
{
    cairo_set_line_width(cr, 1.0);
    font.Use(cr, 12.0);
    static constexpr double kGridHz[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
    for (double hz : kGridHz)
    {
        const double x = std::round(axes.X(hz)) + 0.5;
        SetColour(cr, kCurveGrid);
        cairo_move_to(cr, x, kPlotTop);
        cairo_line_to(cr, x, kPlotBottom);
        cairo_stroke(cr);
        SetColour(cr, kCurveText);
        ShowText(cr, FrequencyText(hz).c_str(), x, kPlotBottom + 8.0, 0.5, 0.0);
    }
    const double stepDb = axes.gainRangeDb > 18.0 ? 12.0 : 6.0;
    for (double db = -axes.gainRangeDb; db <= axes.gainRangeDb + 1e-9; db += stepDb)
    {
        const double y = std::round(axes.YGain(db)) + 0.5;
        SetColour(cr, db == 0.0 ? kCurveText : kCurveGrid, db == 0.0 ? 0.6 : 1.0);
        cairo_move_to(cr, kPlotLeft, y);
        cairo_line_to(cr, kPlotRight, y);
        cairo_stroke(cr);
        char text[16];
        std::snprintf(text, sizeof text, "%+.0f", db);
        SetColour(cr, kCurveText);
        ShowText(cr, db == 0.0 ? "0" : text, kPlotLeft - 8.0, y, 1.0, 0.5);
    }
    SetColour(cr, kCurveText);
    ShowText(cr, "Hz", (kPlotLeft + kPlotRight) * 0.5, kHeight - 14.0, 0.5, 0.5);
    ShowText(cr, "dB", kPlotLeft - 40.0, kPlotTop - 22.0, 0.5, 0.5);
    if (!showLevels)
        return;
    SetColour(cr, kCurveLevelBar);
    for (double db = kLevelFloorDb; db <= 0.0; db += 12.0)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%.0f", db);
        ShowText(cr, text, kPlotRight + 8.0, axes.YLevel(db), 0.0, 0.5);
    }
    ShowText(cr, "level dBFS", kPlotRight + 30.0, kPlotTop - 22.0, 0.5, 0.5);
}

void DrawLevelBars(cairo_t* cr, const Axes& axes, const ResponseData& data)
{
    SetColour(cr, kCurveLevelBar, 0.55);
    for (int band = 0; band < kBandCount; ++band)
    {
        const double level = std::fabs(data.bandLevelsLinear[static_cast<size_t>(band)]);
        if (!(level > 0.0))
            continue;
        const double db = 20.0 * std::log10(level);
        const double x = axes.X(AudioPlugin::BandFrequencyHz(band));
        const double top = axes.YLevel(db);
        cairo_rectangle(cr, x - 6.0, top, 12.0, kPlotBottom - top);
    }
    cairo_fill(cr);
}

void DrawCurve(cairo_t* cr, const Axes& axes, const BandResponse& response)
{
    SetColour(cr, kCurveAccent);
    cairo_set_line_width(cr, 2.0);
    const int steps = static_cast<int>(kPlotRight - kPlotLeft);
    for (int i = 0; i <= steps; ++i)
    {
        const double hz = kLowHz * std::pow(kHighHz / kLowHz, static_cast<double>(i) / steps);
        const double y = axes.YGain(response.MagnitudeDb(hz));
        if (i == 0)
            cairo_move_to(cr, axes.X(hz), y);
        else
            cairo_line_to(cr, axes.X(hz), y);
    }
    cairo_stroke(cr);
}

void DrawGainPoints(cairo_t* cr, const Axes& axes, const ResponseData& data)
{
    for (int band = 0; band < kBandCount; ++band)
    {
        const double x = axes.X(AudioPlugin::BandFrequencyHz(band));
        const double y = axes.YGain(data.bandGainsDb[static_cast<size_t>(band)]);
        cairo_new_sub_path(cr);
        cairo_arc(cr, x, y, 3.5, 0.0, 2.0 * kPi);
    }
    SetColour(cr, kCurveBackground);
    cairo_fill_preserve(cr);
    SetColour(cr, kCurveAccent);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

} // namespace

ResponseData CollectResponseData(const VantorKestrune& plug, bool showLevels)
{
    ResponseData data;
    data.sampleRateHz = plug.SampleRate();
    const AudioPlugin& engine = plug.Engine();
    data.bandGainsDb = engine.bandGains;
    data.bandLevelsLinear = engine.bandLevels;
    data.showLevels = showLevels;
    data.bypassed = engine.eqBypass;
    return data;
}

void WriteResponsePicture(const ResponseData& data, const std::string& path,
                          const std::vector<std::string>& inputs)
{
    const std::array<double, kBandCount> flat{};
    const BandResponse response(data.sampleRateHz, data.bypassed ? flat : data.bandGainsDb);
    Axes axes;
    double largestDb = 0.0;
    for (double gain : data.bandGainsDb)
        largestDb = std::max(largestDb, std::fabs(gain));
    for (int i = 0; i <= 200; ++i)
        largestDb = std::max(largestDb,
                             std::fabs(response.MagnitudeDb(kLowHz * std::pow(1000.0, i / 200.0))));
    if (largestDb > 18.0)
        axes.gainRangeDb = std::ceil(largestDb / 12.0) * 12.0;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    SetColour(cr, kCurveBackground);
    cairo_paint(cr);
    const EditorFont font;
    DrawGrid(cr, axes, font, data.showLevels);
    if (data.showLevels)
        DrawLevelBars(cr, axes, data);
    DrawCurve(cr, axes, response);
    DrawGainPoints(cr, axes, data);
    font.Use(cr, 14.0);
    SetColour(cr, kCurveText);
    ShowText(cr, data.bypassed ? "Equaliser response (Bypass EQ on: flat)" : "Equaliser response",
             kPlotLeft, 14.0, 0.0, 0.5);

    cairo_destroy(cr);
    try
    {
        WritePng(surface, path, inputs);
    }
    catch (...)
    {
        cairo_surface_destroy(surface);
        throw;
    }
    cairo_surface_destroy(surface);
}

} // namespace kestrune::cli
