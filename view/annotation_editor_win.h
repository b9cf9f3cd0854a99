// The annotation editor: a window of its own, owned by the main window, in
// which one picture gets frames, arrows, texts, numbered marks, highlights,
// masks and a crop. The picture file is never written: the objects go to
// the sidecar "<picture>.zan" and the flattened picture to "<stem>_ann.png"
// (picture/annotation_file.h). After each save the owner gets UWM_SHOW_IMAGE.
#pragma once

#include <windows.h>

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
