# The portable sources (engine, unit tables, result formatting), shared by
# the main build and the fuzz build, which compiles them again with clang.
set(MENSURATOR_CORE_SOURCES
  engine/converter.cpp
  engine/conversion.cpp
  engine/number_text.cpp
  tables/table_builder.cpp
  tables/length.cpp
  tables/area.cpp
  tables/mass.cpp
  tables/volume.cpp
  tables/temperature.cpp
  tables/unit_tables.cpp
  ui/result_format.cpp
)
list(TRANSFORM MENSURATOR_CORE_SOURCES PREPEND "${CMAKE_CURRENT_LIST_DIR}/../")
