#pragma once

// The seam between the plug-in base and its editor. The framework knows no graphics code: the
// editor core (IGraphics) implements IPlugEditor, and the drawing-surface holder over the
// editor's bitmap (ycairo_surface) implements IPlugEditorSurface. The plug-in base owns both
// once they are handed to it and deletes them in its destructor: the editor first, the surface
// last (controls may use the surface while they are deleted).
//
// What the base calls, and when:
//   AttachEditor(editor), under the plug-in lock, once, while the plug-in is being constructed:
//     1. editor->CreateBackingStore();
//     2. editor->UpdateControlsForParameter(i, Param(i)->Normalized(), true) for every i;
//     3. the editor pointer is stored (Editor() returns it from then on);
//     4. surface->AttachToGraphics(editor), when a surface was set with SetEditorSurface.
//   SetParameterFromHost (the host-change path every adapter uses), under the plug-in lock:
//     editor->UpdateControlsForParameter(index, normalised, true).
//   PushValuesToEditor(): editor->UpdateControlsForParameter(i, Param(i)->Value(), false).
//
// What the editor calls back on the plug-in base (framework/IPlugBase.h): Param(),
// ParameterCount(), SetParameterFromGUI() when a control changes a value, BeginHostGesture() and
// EndHostGesture() around a drag, OnEditorIdle() when a frame had nothing to redraw,
// OnParamContextClick() and ApiKind().
class IPlugEditor
{
public:
    virtual ~IPlugEditor() = default;

    // Creates the pixel buffer of the whole editor. Called once by AttachEditor.
    virtual void CreateBackingStore() = 0;
    // Shows a parameter's value in every control bound to it. `value` is normalised when
    // `normalised` is true, otherwise a real value to be converted with the parameter's
    // ToNormalized. Called under the plug-in lock, from the host, audio or editor thread.
    virtual void UpdateControlsForParameter(int paramIndex, double value, bool normalised) = 0;

protected:
    IPlugEditor() = default;
    IPlugEditor(const IPlugEditor&) = default;
    IPlugEditor& operator=(const IPlugEditor&) = default;
};

class IPlugEditorSurface
{
public:
    virtual ~IPlugEditorSurface() = default;

    // Creates the drawing surface over the editor's backing bitmap. Called once by
    // AttachEditor, after the backing store exists.
    virtual void AttachToGraphics(IPlugEditor* editor) = 0;

protected:
    IPlugEditorSurface() = default;
    IPlugEditorSurface(const IPlugEditorSurface&) = default;
    IPlugEditorSurface& operator=(const IPlugEditorSurface&) = default;
};
