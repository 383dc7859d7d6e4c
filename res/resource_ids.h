/* Resource, command and control ids, shared by the resource script and the
   code. Kept in bands: strings, icons, menus and templates below 200;
   menu commands 100-199 share that band by Windows tradition; the converter
   dialog's controls 1000-1099, whose accessible names are the strings of the
   same ids; the About box's own controls below 100. */
#ifndef MENSURATOR_RESOURCE_IDS_H
#define MENSURATOR_RESOURCE_IDS_H

/* Strings */
#define ID_STR_TITLE 103
#define ID_STR_CLASS 109

/* Icons */
#define ID_ICON_LARGE 107
#define ID_ICON_SMALL 108

/* Menu and accelerators */
#define ID_MENU_MAIN 109
#define ID_ACCEL_MAIN 109

/* Dialog templates */
#define ID_DLG_ABOUT 103
#define ID_DLG_CONVERTER 129

/* Commands */
#define ID_CMD_ABOUT 104
#define ID_CMD_EXIT 105

/* About box controls */
#define ID_ABOUT_ICON 2

/* Converter dialog controls */
#define IDC_FROM_UNIT 1000
#define IDC_VALUE 1001
#define IDC_TO_UNIT 1002
#define IDC_RESULT 1003
#define IDC_CLOSE 1004
#define IDC_RECALC 1005 /* posted command; no control bears this id */
#define IDC_DECIMALS_SPIN 1006
#define IDC_DECIMALS 1007
#define IDC_CATEGORY 1008
#define IDC_RESULT_SCI 1009

#endif
