#include "graphics/IGraphics.h"

#include "framework/IPlugBase.h"
#include "framework/IPlugParameter.h"
#include "graphics/IControl.h"
#include "graphics/IViewContainer.h"

#include <cstdio>
#include <cstring>

IGraphics::IGraphics(IPlugBase* owner, int editorWidth, int editorHeight, int rate)
    : plug(owner), width(editorWidth), height(editorHeight),
      frameRate(rate > 0 ? rate : kDefaultFrameRate)
{
}

IGraphics::~IGraphics()
{
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
    {
        delete *it;
    }
    controls.clear();
    backingBitmap.reset();
}

// Platform services nothing in this editor calls; the neutral answers are enough.
bool IGraphics::MeasureText(const TextStyle&, const char*, Rect&)
{
    return false;
}
void IGraphics::CancelTextEntry() {}
void IGraphics::Resize(int, int) {}
bool IGraphics::WindowIsOpen()
{
    return NativeWindow() != nullptr;
}
const char* IGraphics::DrawingApiName()
{
    return "";
}
int IGraphics::ShowMessageBox(const char*, const char*, int)
{
    return 0;
}
void IGraphics::HostPath(std::string& path)
{
    path.clear();
}
void IGraphics::PluginPath(std::string& path)
{
    path.clear();
}
void IGraphics::DesktopPath(std::string& path)
{
    path.clear();
}
void IGraphics::DocumentsPath(std::string& path)
{
    path.clear();
}
void IGraphics::AppDataPath(std::string& path, bool)
{
    path.clear();
}
void IGraphics::UserAppDataPath(std::string& path)
{
    path.clear();
}
bool IGraphics::PromptForFile(std::string&, bool, const char*)
{
    return false;
}
bool IGraphics::PromptForColor(Color&, const char*)
{
    return false;
}
bool IGraphics::OpenURL(const char*, const char*)
{
    return false;
}
int IGraphics::PlatformQuery(void*, int, int, int)
{
    return 0;
}
void IGraphics::PlatformHookWithArgument(void*) {}
void IGraphics::PlatformHook() {}
bool IGraphics::ClipboardText(std::string& text)
{
    text.clear();
    return false;
}
void IGraphics::SetParentTransparency(int) {}
double IGraphics::ScreenScale()
{
    return 1.0;
}
void IGraphics::SetMouseCursor(int) {}
void IGraphics::HideMouseCursor() {}
void IGraphics::ShowMouseCursor() {}
void IGraphics::PlatformIdle() {}
LICE_IBitmap* IGraphics::LoadResourceBitmap(int)
{
    return nullptr;
}

int& IGraphics::AddControl(IControl* control)
{
    controls.push_back(control);
    for (size_t i = 0; i < controls.size(); ++i)
    {
        controls[i]->listIndex = static_cast<int>(i);
    }
    control->owningGraphics = this;
    return control->listIndex;
}

IControl* IGraphics::ControlAt(int index) const
{
    if (index < 0 || index >= ControlCount())
    {
        return nullptr;
    }
    return controls[static_cast<size_t>(index)];
}

void IGraphics::CreateBackingStore()
{
    backingBitmap = std::make_unique<LICE_SysBitmap>(width, height);
}

void IGraphics::UpdateControlsForParameter(int paramIndex, double value, bool normalised)
{
    if (!normalised)
    {
        const IPlugParameter* parameter = plug ? plug->Param(paramIndex) : nullptr;
        if (!parameter)
        {
            return;
        }
        value = parameter->ToNormalized(value);
    }
    for (IControl* control : controls)
    {
        if (control->ParamIndex() == paramIndex)
        {
            control->UpdateFromParameter(value);
        }
        const int aux = control->AuxIndexOf(paramIndex);
        if (aux >= 0)
        {
            control->UpdateAuxFromParameter(aux, value);
        }
    }
}

void IGraphics::SetParameterControlsGrayed(int paramIndex, bool gray)
{
    for (IControl* control : controls)
    {
        if (control->ParamIndex() == paramIndex)
        {
            control->SetGrayed(gray);
        }
    }
}

// Every control redraws at the next frame. The controls of one parameter already hold its
// value (every change reaches them through UpdateControlsForParameter), so nothing is handed
// from control to control: the cost is one flag per control, not one scan of the list per
// control, which the audio thread pays after every block.
void IGraphics::MarkAllControlsDirty()
{
    for (IControl* control : controls)
    {
        control->MarkForRedraw();
    }
}

void IGraphics::PromptForParameter(IControl* control, IPlugParameter* parameter, const Rect* anchor)
{
    if (!control || !parameter || !anchor)
    {
        return;
    }
    const ParameterKind kind = parameter->Kind();
    if (kind == ParameterKind::Enum ||
        (kind == ParameterKind::Bool && parameter->DisplayTextCount() > 0))
    {
        PromptWithMenu(control, parameter, *anchor);
        return;
    }
    char text[kParamTextCapacity] = {};
    parameter->FormatForHost(parameter->Value(), false, text, false, sizeof(text));
    BeginTextEntry(control, control->GetTextStyle(), *anchor, text, parameter);
}

void IGraphics::PromptWithMenu(IControl* control, IPlugParameter* parameter, const Rect& anchor)
{
    char current[kParamTextCapacity] = {};
    parameter->FormatForHost(parameter->Value(), false, current, true, sizeof(current));
    PopupMenu menu;
    const int count = parameter->DisplayTextCount();
    for (int i = 0; i < count; ++i)
    {
        const char* text = parameter->DisplayTextFor(i);
        menu.AddItem(text, std::strcmp(text, current) == 0 ? kMenuItemChecked : 0);
    }
    PopupMenu* chosen = ShowPopupMenu(menu, anchor);
    if (chosen && chosen->ChosenItemIndex() >= 0)
    {
        control->ApplyUserValue(parameter->ToNormalized(chosen->ChosenItemIndex()));
    }
}

bool IGraphics::CollectDirtyArea(Rect& area)
{
    bool anyDirty = false;
    for (IControl* control : controls)
    {
        if (control->IsMarkedDirty())
        {
            area = area.Union(control->GetDrawRect());
            anyDirty = true;
        }
    }
    if (anyDirty)
    {
        idleTicks = 0;
        return true;
    }
    if (++idleTicks >= 2)
    {
        if (plug)
        {
            plug->OnEditorIdle();
        }
        for (IControl* control : controls)
        {
            control->IdleTick();
        }
        idleTicks = 0;
    }
    return false;
}

bool IGraphics::DrawArea(const Rect& area)
{
    if (controls.empty())
    {
        return true;
    }
    for (IControl* control : controls)
    {
        if (!control->IsHidden() && area.Intersects(control->GetDrawRect()))
        {
            control->Draw(*this);
        }
        control->MarkClean();
    }
    return PresentArea(area);
}

int IGraphics::FindControlAt(int x, int y, bool forHover) const
{
    if (mouseCapture >= 0)
    {
        return mouseCapture;
    }
    for (int i = ControlCount() - 1; i >= 0; --i)
    {
        IControl* control = controls[static_cast<size_t>(i)];
        const bool eligible = (forHover && control->HoverWhenGrayed()) || !control->IsGrayed();
        if (eligible && !control->IsHidden() && control->HitTest(x, y))
        {
            return i;
        }
    }
    return -1;
}

void IGraphics::DropMouseCapture()
{
    mouseCapture = -1;
    lastMouseX = -1;
    lastMouseY = -1;
}

bool IGraphics::OfferClickToHost(int paramIndex, MouseMods mods)
{
    uint32_t mask = 0;
    mask |= mods.shift ? IViewContainer::kModShift : 0;
    mask |= mods.alt ? IViewContainer::kModAlt : 0;
    mask |= mods.control ? IViewContainer::kModControl : 0;
    mask |= viewContainer->CurrentModifiers();
    mask |= mods.right ? IViewContainer::kModRightButton : 0;
    char identifier[32] = {};
    std::snprintf(identifier, sizeof(identifier), "%i", paramIndex + 1);
    return viewContainer->HandleParameterMouseDown(identifier, mask) == 0;
}

void IGraphics::BeginGesture(int paramIndex)
{
    EndGesture();
    if (paramIndex >= 0 && plug)
    {
        plug->BeginHostGesture(paramIndex);
        gestureParam = paramIndex;
    }
}

void IGraphics::EndGesture()
{
    if (gestureParam >= 0 && plug)
    {
        plug->EndHostGesture(gestureParam);
    }
    gestureParam = -1;
}

void IGraphics::DispatchMouseDown(int x, int y, MouseMods mods)
{
    DropMouseCapture();
    EndGesture();
    const int i = FindControlAt(x, y, false);
    if (i < 0)
    {
        return;
    }
    mouseCapture = i;
    lastMouseX = x;
    lastMouseY = y;
    IControl* control = controls[static_cast<size_t>(i)];
    const int paramIndex = control->ParamIndex();
    // A click the host consumes keeps the capture, so drags and the mouse-up still arrive; the
    // host still hears the release as the end of the gesture.
    if (viewContainer && paramIndex >= 0 && OfferClickToHost(paramIndex, mods))
    {
        gestureParam = paramIndex;
        return;
    }
    BeginGesture(paramIndex);
    control->HandleMouseDown(x, y, mods);
}

void IGraphics::DispatchMouseUp(int x, int y, MouseMods mods)
{
    const int i = FindControlAt(x, y, false);
    DropMouseCapture();
    if (i >= 0)
    {
        controls[static_cast<size_t>(i)]->HandleMouseUp(x, y, mods);
    }
    EndGesture();
}

void IGraphics::DispatchMouseDrag(int x, int y, MouseMods mods)
{
    if (mouseCapture < 0)
    {
        return;
    }
    const int dX = x - lastMouseX;
    const int dY = y - lastMouseY;
    if (dX == 0 && dY == 0)
    {
        return;
    }
    lastMouseX = x;
    lastMouseY = y;
    controls[static_cast<size_t>(mouseCapture)]->HandleMouseDrag(x, y, dX, dY, mods);
}

bool IGraphics::DispatchDoubleClick(int x, int y, MouseMods mods)
{
    DropMouseCapture();
    const int i = FindControlAt(x, y, false);
    if (i < 0)
    {
        return false;
    }
    IControl* control = controls[static_cast<size_t>(i)];
    BeginGesture(control->ParamIndex());
    if (control->DoubleClickAsDown())
    {
        mouseCapture = i;
        lastMouseX = x;
        lastMouseY = y;
        control->HandleMouseDown(x, y, mods);
        return true;
    }
    // The change is inside the gesture; the release of the second click ends it.
    control->HandleDoubleClick(x, y, mods);
    return false;
}

void IGraphics::DispatchMouseWheel(int x, int y, MouseMods mods, int notches)
{
    const int i = FindControlAt(x, y, false);
    if (i >= 0)
    {
        controls[static_cast<size_t>(i)]->HandleMouseWheel(x, y, mods, notches);
    }
}

bool IGraphics::DispatchMouseOver(int x, int y, MouseMods mods)
{
    if (!handleMouseOver)
    {
        return false;
    }
    const int i = FindControlAt(x, y, true);
    if (i < 0 || controls[static_cast<size_t>(i)]->IsHidden())
    {
        return true;
    }
    lastMouseX = x;
    lastMouseY = y;
    controls[static_cast<size_t>(i)]->HandleMouseOver(x, y, mods);
    // The new control hears of the pointer before the old one hears it has left.
    if (mouseOverIndex >= 0 && mouseOverIndex != i)
    {
        controls[static_cast<size_t>(mouseOverIndex)]->HandleMouseOut();
    }
    mouseOverIndex = i;
    return true;
}

void IGraphics::DispatchMouseOut()
{
    for (IControl* control : controls)
    {
        control->HandleMouseOut();
    }
    mouseOverIndex = -1;
}

bool IGraphics::DispatchKeyDown(int x, int y, int key)
{
    const int i = FindControlAt(x, y, false);
    // Index 0 is the background: keys over it belong to the host.
    if (i > 0)
    {
        return controls[static_cast<size_t>(i)]->HandleKeyDown(x, y, key);
    }
    return false;
}
