// The five tables as process-wide objects. Defined together because static
// objects of one file are built in the order written and destroyed in the
// reverse order, which fixes Length first and Temperature last.
#include "tables/unit_tables.h"

Converter LengthConverter = BuildLengthConverter();
Converter AreaConverter = BuildAreaConverter();
Converter MassConverter = BuildMassConverter();
Converter VolumeConverter = BuildVolumeConverter();
Converter TemperatureConverter = BuildTemperatureConverter();
