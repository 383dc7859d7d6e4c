// Accessible names of the converter dialog's input controls. The template puts every label
// after the controls, so screen readers find no label before a control; each control is named
// through Windows' dynamic annotation instead.
#ifndef MENSURATOR_UI_ACCESSIBLE_NAMES_H
#define MENSURATOR_UI_ACCESSIBLE_NAMES_H

#include <windows.h>

// Gives each input control of the converter dialog the name held in the string resource of the
// control's own id, in the dialog's module, and keeps in the dialog's DWLP_USER what
// ClearControlNames needs. Where COM, the annotation service or a string is missing, or the
// service refuses, leaves those controls unnamed and says nothing.
void NameControls(HWND dialog);

// Clears the names NameControls gave and ends its use of COM on this thread; to be called from
// the dialog's WM_DESTROY, while the controls still exist. Does nothing when none was named.
void ClearControlNames(HWND dialog);

#endif
