// The converter dialog (template ID_DLG_CONVERTER): the user's one window, in which a typed
// value is converted between two units of a category and shown in two notations.
#ifndef MENSURATOR_UI_CONV_DIALOG_H
#define MENSURATOR_UI_CONV_DIALOG_H

#include <windows.h>

// The converter dialog while it exists; set by whoever creates it, cleared by its Close.
extern HWND hConvDlg;

// Dialog procedure of the modeless converter dialog. Returns what each message's rules give
// (FALSE for the up-down's notifications and for a recalculation without a unit selection);
// ends the process through ReportErrorAndExit when a control is missing or a list cannot be
// selected.
INT_PTR CALLBACK ConvDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Moves the top-level window hWnd, keeping its size, to the centre of the full-screen area and
// to the top of the z-order. Does nothing for a null handle.
void CenterWindow(HWND hWnd);

#endif
