#include "GraphicsTestSupport.h"
#include "graphics/ycairo_background.h"
#include "graphics/ycairo_gui.h"
#include "graphics/ycairo_surface.h"
#include "graphics/ycairo_text.h"
#include "resources/ModuleResources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace
{

constexpr uint32_t kBackground = 0x2e2e2e;

// Fills a rectangle in its colour; by default its own, but it may try to paint outside.
class FillControl : public IControl, public ycairo_gui
{
public:
    FillControl(IPlugBase* owner, ycairo_surface* surfaceHolder, const Rect& area, uint32_t colour)
        : IControl(owner, area, -1), ycairo_gui(surfaceHolder, this), rgb(colour)
    {
    }

    bool Draw(IGraphics&) override
    {
        BeginDraw();
        lineWidthSeen = cairo_get_line_width(cr);
        if (setLineWidth > 0.0)
        {
            cairo_set_line_width(cr, setLineWidth);
        }
        const Rect& r = paintRect.IsEmpty() ? drawRect : paintRect;
        cairo_set_source_rgb(cr, ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0,
                             (rgb & 0xff) / 255.0);
        cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
        cairo_fill(cr);
        EndDraw();
        return true;
    }

    uint32_t rgb;
    Rect paintRect;
    double setLineWidth = 0.0;
    double lineWidthSeen = 0.0;
};

class TextControl : public IControl, public ycairo_gui, public ycairo_text
{
public:
    TextControl(IPlugBase* owner, ycairo_surface* surfaceHolder, const Rect& bounds, int font)
        : IControl(owner, bounds, -1), ycairo_gui(surfaceHolder, this), ycairo_text(surfaceHolder)
    {
        loaded = LoadFont(font, kestrune::kResourceTypeRawData, kestrune::kTitilliumFileName);
    }

    bool Draw(IGraphics&) override
    {
        BeginDraw();
        DrawText(cr, label, 20.0, 255, 255, 255, 255, drawRect, hAlign, vAlign);
        EndDraw();
        return true;
    }

    FT_Face Face() const { return ftFace; }
    cairo_font_face_t* OwnFace() const { return fontFace; }

    bool loaded = false;
    const char* label = "Gain";
    int hAlign = kAlignCentre;
    int vAlign = kAlignMiddle;
};

class CairoFixture : public ::testing::Test
{
protected:
    CairoFixture() : editor(new IGraphicsOffscreen(&plug, 160, 120, 30))
    {
        auto surfaceOwner = std::make_unique<ycairo_surface>(&plug);
        surface = surfaceOwner.get();
        plug.SetEditorSurface(std::move(surfaceOwner));
        surface->CreateBackground(editor, 255, 46, 46, 46);
    }

    template <typename T, typename... Args> T* Add(Args&&... args)
    {
        auto* control = new T(&plug, surface, std::forward<Args>(args)...);
        editor->AddControl(control);
        return control;
    }

    ~CairoFixture() override
    {
        if (!attached)
        {
            delete editor;
        }
    }

    void Attach()
    {
        plug.AttachEditor(editor);
        attached = true;
    }

    uint32_t Pixel(int x, int y) const
    {
        cairo_surface_flush(surface->Surface());
        LICE_IBitmap* bitmap = editor->BackingBitmap();
        return bitmap->Bits()[y * bitmap->RowSpan() + x] & 0xffffffu;
    }

    // Rightmost column in [left, right) of the given rows that is not background.
    int RightmostInk(int left, int right, int top, int bottom) const
    {
        for (int x = right - 1; x >= left; --x)
        {
            for (int y = top; y < bottom; ++y)
            {
                if (Pixel(x, y) != kBackground)
                {
                    return x;
                }
            }
        }
        return -1;
    }

    TestPlug plug;
    IGraphicsOffscreen* editor; // owned by plug once attached
    bool attached = false;
    ycairo_surface* surface = nullptr;
};

TEST_F(CairoFixture, BackgroundIsControlZeroAndPaintedOnAttach)
{
    ASSERT_EQ(editor->ControlCount(), 1);
    EXPECT_NE(dynamic_cast<ycairo_background*>(editor->ControlAt(0)), nullptr);
    EXPECT_EQ(editor->ControlAt(0)->GetDrawRect(), Rect(0, 0, 160, 120));
    EXPECT_EQ(surface->Width(), 160);
    EXPECT_DOUBLE_EQ(surface->BackgroundRed(), 46 / 255.0);
    Attach();
    ASSERT_NE(surface->Context(), nullptr);
    EXPECT_EQ(cairo_image_surface_get_stride(surface->Surface()), 160 * 4);
    EXPECT_EQ(Pixel(0, 0), kBackground);
    EXPECT_EQ(Pixel(159, 119), kBackground);
}

TEST(CairoSurfaceTest, StrideFollowsBitmapRowSpan)
{
    TestPlug plug;
    auto odd = std::make_unique<IGraphicsOffscreen>(&plug, 801, 10, 30);
    odd->CreateBackingStore();
    ycairo_surface holder(&plug);
    holder.AttachToGraphics(odd.get());
    ASSERT_NE(holder.Surface(), nullptr);
    EXPECT_EQ(cairo_image_surface_get_stride(holder.Surface()), 804 * 4);
    EXPECT_EQ(cairo_image_surface_get_width(holder.Surface()), 801);
    EXPECT_EQ(holder.Width(), 801);
}

TEST(CairoSurfaceTest, AttachWithoutBitmapDoesNothing)
{
    TestPlug plug;
    IGraphicsOffscreen editor(&plug, 10, 10, 30);
    ycairo_surface holder(&plug);
    holder.AttachToGraphics(&editor);
    EXPECT_EQ(holder.Surface(), nullptr);
    EXPECT_EQ(holder.Context(), nullptr);
}

TEST_F(CairoFixture, ControlsDrawClippedToTheirRectangle)
{
    auto* greedy = Add<FillControl>(Rect(20, 20, 40, 40), 0xff0000u);
    greedy->paintRect = Rect(0, 0, 160, 120);
    Attach();
    editor->Tick();
    EXPECT_EQ(Pixel(20, 20), 0xff0000u);
    EXPECT_EQ(Pixel(39, 39), 0xff0000u);
    EXPECT_EQ(Pixel(40, 30), kBackground);
    EXPECT_EQ(Pixel(19, 30), kBackground);
    EXPECT_EQ(Pixel(100, 100), kBackground);
}

TEST_F(CairoFixture, ContextStateCarriesOverBetweenControls)
{
    auto* first = Add<FillControl>(Rect(0, 0, 10, 10), 0x00ff00u);
    auto* second = Add<FillControl>(Rect(20, 0, 30, 10), 0x0000ffu);
    first->setLineWidth = 7.0;
    Attach();
    editor->Tick();
    EXPECT_DOUBLE_EQ(second->lineWidthSeen, 7.0);
}

TEST_F(CairoFixture, RepaintRefillsBackgroundWhereNothingDraws)
{
    auto* box = Add<FillControl>(Rect(50, 50, 70, 70), 0x00ff00u);
    auto* other = Add<FillControl>(Rect(100, 10, 120, 30), 0x0000ffu);
    Attach();
    editor->Tick();
    ASSERT_EQ(Pixel(60, 60), 0x00ff00u);
    box->SetHidden(true);
    editor->Tick();
    EXPECT_EQ(Pixel(60, 60), kBackground);
    // The background refilled the whole bitmap; the other control lay outside the update area,
    // so its pixels are background too until it is drawn again. Only the area is presented.
    EXPECT_EQ(Pixel(110, 20), kBackground);
    EXPECT_EQ(editor->LastPresentedArea(), Rect(50, 50, 70, 70));
    other->MarkDirty(false);
    editor->Tick();
    EXPECT_EQ(Pixel(110, 20), 0x0000ffu);
}

TEST(ResourcesTest, FontsAreEmbeddedByNumber)
{
    kestrune::ResourceBytes labels;
    kestrune::ResourceBytes display;
    kestrune::ResourceBytes footer;
    ASSERT_TRUE(kestrune::FindModuleResource(nullptr, 101, 10, labels));
    ASSERT_TRUE(kestrune::FindModuleResource(nullptr, 102, 10, display));
    ASSERT_TRUE(kestrune::FindModuleResource(nullptr, 103, 10, footer));
    EXPECT_EQ(labels.size, 57392u);
    EXPECT_EQ(footer.size, 278704u);
    ASSERT_EQ(display.size, labels.size);
    EXPECT_EQ(std::memcmp(display.data, labels.data, labels.size), 0);
    // TrueType files start with the version 1.0 tag.
    EXPECT_EQ(std::memcmp(labels.data, "\x00\x01\x00\x00", 4), 0);
    kestrune::ResourceBytes none;
    EXPECT_FALSE(kestrune::FindModuleResource(nullptr, 104, 10, none));
    EXPECT_FALSE(kestrune::FindModuleResource(nullptr, 101, 3, none));
    EXPECT_EQ(none.data, nullptr);
}

struct FontCase
{
    int number;
    const char* family;
    const char* style;
};

class FontTable : public CairoFixture, public ::testing::WithParamInterface<FontCase>
{
};

TEST_P(FontTable, LoadsFaceFromResource)
{
    const FontCase& c = GetParam();
    auto* text = Add<TextControl>(Rect(0, 0, 100, 30), c.number);
    ASSERT_TRUE(text->loaded);
    ASSERT_NE(text->Face(), nullptr);
    EXPECT_STREQ(text->Face()->family_name, c.family);
    EXPECT_STREQ(text->Face()->style_name, c.style);
}

INSTANTIATE_TEST_SUITE_P(Cases, FontTable,
                         ::testing::Values(FontCase{101, "Titillium Web", "Regular"},
                                           FontCase{102, "Titillium Web", "Regular"},
                                           FontCase{103, "Sarpanch", "Medium"}));

TEST_F(CairoFixture, MissingFontKeepsTheContextsCurrentFace)
{
    auto* loaded = Add<TextControl>(Rect(0, 0, 100, 30), 103);
    auto* missing = Add<TextControl>(Rect(0, 40, 100, 70), 104);
    EXPECT_FALSE(missing->loaded);
    EXPECT_FALSE(missing->HasOwnFont());
    Attach();
    editor->Tick();
    // The second control drew with the face the first one left on the shared context.
    EXPECT_EQ(cairo_get_font_face(surface->Context()), loaded->OwnFace());
    EXPECT_GT(missing->TextExtents().width, 0.0);
}

TEST_F(CairoFixture, CentredTextPenPosition)
{
    auto* text = Add<TextControl>(Rect(4, 12, 60, 36), 102);
    Attach();
    editor->Tick();
    const cairo_text_extents_t& te = text->TextExtents();
    const cairo_font_extents_t& fe = text->FontExtents();
    ASSERT_GT(te.width, 0.0);
    EXPECT_DOUBLE_EQ(text->LastPenX(), 4 + (56 - te.width - te.x_bearing) * 0.5);
    EXPECT_DOUBLE_EQ(text->LastPenY(), 36 - (24 - fe.height) * 0.5 - fe.descent);
    EXPECT_EQ(text->LastText(), "Gain");
    EXPECT_EQ(text->LastArea(), Rect(4, 12, 60, 36));
}

struct AlignCase
{
    int hAlign;
    int vAlign;
};

class AlignTable : public CairoFixture, public ::testing::WithParamInterface<AlignCase>
{
};

TEST_P(AlignTable, PenFollowsAlignment)
{
    const Rect area(10, 20, 150, 60);
    auto* text = Add<TextControl>(area, 101);
    text->hAlign = GetParam().hAlign;
    text->vAlign = GetParam().vAlign;
    Attach();
    editor->Tick();
    const cairo_text_extents_t& te = text->TextExtents();
    const cairo_font_extents_t& fe = text->FontExtents();
    const double expectedX[] = {10.0, 150 - te.width - te.x_bearing,
                                10 + (140 - te.width - te.x_bearing) * 0.5};
    const double expectedY[] = {60 - (40 - fe.height) * 0.5 - fe.descent, 20 + fe.ascent,
                                60 - fe.descent};
    EXPECT_DOUBLE_EQ(text->LastPenX(), expectedX[GetParam().hAlign]);
    EXPECT_DOUBLE_EQ(text->LastPenY(), expectedY[GetParam().vAlign]);
}

INSTANTIATE_TEST_SUITE_P(Cases, AlignTable,
                         ::testing::Values(AlignCase{0, 0}, AlignCase{1, 1}, AlignCase{2, 2},
                                           AlignCase{2, 0}));

TEST_F(CairoFixture, RightAlignedInkEndsAtAreaRight)
{
    auto* text = Add<TextControl>(Rect(10, 20, 150, 60), 101);
    text->hAlign = ycairo_text::kAlignRight;
    Attach();
    editor->Tick();
    const int inkRight = RightmostInk(10, 160, 20, 60);
    EXPECT_GE(inkRight, 148);
    EXPECT_LE(inkRight, 149);
}

// Builds a plug-in with an attached editor holding two text controls and draws one frame.
void DrawTextEditorOnce(TestPlug& plug)
{
    auto* editor = new IGraphicsOffscreen(&plug, 100, 100, 30);
    auto holder = std::make_unique<ycairo_surface>(&plug);
    ycairo_surface* surface = holder.get();
    plug.SetEditorSurface(std::move(holder));
    surface->CreateBackground(editor, 255, 0, 0, 0);
    editor->AddControl(new TextControl(&plug, surface, Rect(0, 0, 80, 30), 101));
    editor->AddControl(new TextControl(&plug, surface, Rect(0, 40, 80, 70), 103));
    plug.AttachEditor(editor);
    editor->Tick();
}

TEST(CairoTextLifetime, FacesOutliveControlsWhileCairoCachesThem)
{
    // Each control owns its FreeType face while cairo's font caches may keep the cairo face;
    // an editor drawn after another one was destroyed must not touch freed faces.
    {
        TestPlug first;
        DrawTextEditorOnce(first);
    }
    TestPlug second;
    DrawTextEditorOnce(second);
    auto* editor = dynamic_cast<IGraphics*>(second.Editor());
    ASSERT_NE(editor, nullptr);
    auto* text = dynamic_cast<TextControl*>(editor->ControlAt(1));
    ASSERT_NE(text, nullptr);
    EXPECT_GT(text->TextExtents().width, 0.0);
}

} // namespace
