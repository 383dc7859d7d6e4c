// Accessible names of the converter dialog's input controls. The template puts every label
// after the controls, so screen readers find no label before a control; each control is named
// through Windows' dynamic annotation instead, once something first asks for one.
#ifndef MENSURATOR_UI_ACCESSIBLE_NAMES_H
#define MENSURATOR_UI_ACCESSIBLE_NAMES_H

#include <windows.h>

// Names the converter dialog's input controls on the first WM_GETOBJECT any of them receives,
// before it is answered, so that ole32 and oleacc load and COM starts only for a program that asks,
// such as a screen reader; never again for this dialog, even where another procedure has since
// been put over a control's. Each name is the string resource of the control's own id, in the
// dialog's module. From that question on, the dialog's DWLP_USER is non-zero and unchanged until
// ClearControlNames: it holds what that function needs. Where COM, the annotation service or a
// string is missing, or the service refuses, those controls stay unnamed and nothing is said.
void NameControlsWhenAsked(HWND dialog);

// Stops waiting for the first WM_GETOBJECT, clears the names given and ends this module's use
// of COM on this thread, once; to be called from the dialog's WM_DESTROY, while the controls
// exist. Later questions name nothing.
void ClearControlNames(HWND dialog);

#endif
