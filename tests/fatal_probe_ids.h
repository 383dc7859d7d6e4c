/* Ids and window class names shared by the fatal probe and its resource script. */
#ifndef MENSURATOR_TESTS_FATAL_PROBE_IDS_H
#define MENSURATOR_TESTS_FATAL_PROBE_IDS_H

/* Broken variants of the converter dialog, each one change away from the real template. */
#define ID_PROBE_NO_CATEGORY 201
#define ID_PROBE_STUCK_CATEGORY 202
#define ID_PROBE_STUCK_SOURCE 203
#define ID_PROBE_NO_TARGET 204
#define ID_PROBE_FULL_TARGET 205

/* Combo boxes, registered by the probe, that refuse every selection or every new item. */
#define PROBE_NO_SELECTION_COMBO "ProbeNoSelectionCombo"
#define PROBE_NO_ITEMS_COMBO "ProbeNoItemsCombo"

#endif
