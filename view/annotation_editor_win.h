// The annotation editor: a window of its own, owned by the main window, in
// which one picture gets frames, arrows, texts, numbered marks, highlights,
// masks and a crop. The picture file is never written: the objects go to
// the sidecar "<picture>.zan" and the flattened picture to "<stem>_ann.png"
// (picture/annotation_file.h). After each save the owner gets UWM_SHOW_IMAGE.
#pragma once

#include <windows.h>

#include <memory>

// Opens the editor on the picture at `picturePath`. An editor already open
// on it comes to the front; one open on another picture is closed first
// (asking about unsaved changes). False, after a message, when the picture
// cannot be read or the window cannot be made.
bool OpenAnnotationEditor(HINSTANCE instance, HWND owner, const char* picturePath);

// The editor's keys, taken before the main window's accelerators see them:
// true when the message belonged to the editor and has been handled.
bool TranslateAnnotationMessage(MSG& message);

// Closes an open editor, asking first when it has unsaved changes; false
// when the user keeps it open.
bool CloseAnnotationEditor();

// An editor is open with changes not yet saved (closing it would ask).
bool AnnotationEditorModified();

// The editor's window, null when none is open.
HWND AnnotationEditorWindow();

// A panel on the right of the editor, beside the canvas, that goes through
// the objects with the user (the mask proposals' list). Its controls are
// the editor window's children; the editor owns the panel and lays it out.
class AnnotationPanel {
  public:
    virtual ~AnnotationPanel() = default;
    // Its width in pixels; 0 once it is gone.
    virtual int width() const = 0;
    virtual void place(int left, int top, int width, int height) = 0;
    // WM_COMMAND or WM_NOTIFY that the editor got: true when it was the panel's.
    virtual bool message(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // A key for the panel's controls, before the editor's keys see it.
    virtual bool key(const MSG& message) = 0;
    // Where the focus goes when the editor is activated; null for the canvas.
    virtual HWND focus() const = 0;
    // The objects changed: an edit, an undo, the panel's own change.
    virtual void objectsChanged() = 0;
};

namespace annotation_editing {
class Session;
}

// The open editor's objects, tool and selection; null when none is open.
annotation_editing::Session* AnnotationEditorSession();
// After a panel changed the objects: paints them again and tells the panel.
void AnnotationEditorRefresh();
// After a panel changed its width.
void AnnotationEditorLayout();
// The object becomes the selection and is scrolled into view.
void AnnotationEditorShowObject(int index);
// The panel of the open editor (one at a time; a new one replaces the old).
void SetAnnotationPanel(std::unique_ptr<AnnotationPanel> panel);
