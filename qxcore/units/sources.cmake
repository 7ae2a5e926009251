# The unit model: type registry, unit objects, attribute values, unit systems
# and names, resource ties; the units text format, its loader and saver.
target_sources(qxcore PRIVATE
  units/attribute_checks.cpp
  units/attribute_text.cpp
  units/attribute_units.cpp
  units/attribute_values.cpp
  units/name_index.cpp
  units/unit.cpp
  units/unit_bank.cpp
  units/unit_base.cpp
  units/unit_base_clone.cpp
  units/unit_base_destroy.cpp
  units/unit_name.cpp
  units/unit_proxy.cpp
  units/unit_resource_tie.cpp
  units/unit_structs.cpp
  units/unit_system.cpp
  units/unit_type_queries.cpp
  units/unit_load.cpp
  units/unit_save.cpp
  units/units_scanner.cpp
  units/units_text_writer.cpp)
