// Filling of the converter dialog's drop-down lists with unit and category names.
#ifndef MENSURATOR_UI_UNIT_LISTS_H
#define MENSURATOR_UI_UNIT_LISTS_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Replaces the items of combo with names; returns false, after an ownerless "Error" box, when a
// name cannot be added (earlier items stay), or silently when combo is not a window.
bool FillCombo(HWND combo, std::vector<std::string> names);

// Fills IDC_TO_UNIT of dialog with the targets of the source unit at sourcePosition and selects
// the first one. Returns only on success; any failure ends the process.
void FillConvertTo(HWND dialog, std::int32_t sourcePosition);

// "Error occurred while adding <name>.", with the name cut so the text fits 80 characters.
std::string AddFailureMessage(const std::string& name);

// "<count> items. Cannot select an option in convert to combo.", within 84 characters.
std::string SelectFailureMessage(int count);

#endif
