// The five process-wide unit tables, finished before main/WinMain runs.
#ifndef MENSURATOR_TABLES_UNIT_TABLES_H
#define MENSURATOR_TABLES_UNIT_TABLES_H

#include "engine/converter.h"

extern Converter LengthConverter;
extern Converter AreaConverter;
extern Converter MassConverter;
extern Converter VolumeConverter;
extern Converter TemperatureConverter;

// Each builds its finished table; the tables above are made from them.
Converter BuildLengthConverter();
Converter BuildAreaConverter();
Converter BuildMassConverter();
Converter BuildVolumeConverter();
Converter BuildTemperatureConverter();

#endif
