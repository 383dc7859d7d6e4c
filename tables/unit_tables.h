// The five process-wide unit tables, finished before main/WinMain runs.
#ifndef MENSURATOR_TABLES_UNIT_TABLES_H
#define MENSURATOR_TABLES_UNIT_TABLES_H

#include "engine/converter.h"

extern Converter LengthConverter;
extern Converter AreaConverter;
extern Converter MassConverter;
extern Converter VolumeConverter;
extern Converter TemperatureConverter;

#endif
