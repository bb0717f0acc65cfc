# The view rules that need no widget: filter names and matching, sort keys, row texts.
target_sources(zorvane_core PRIVATE
  view/filter_layout.cpp view/filter_layout.h
  view/filter_match.cpp view/filter_match.h
  view/filter_names.h
  view/filter_table.cpp view/filter_table.h
  view/server_rows.cpp view/server_rows.h
  view/sort_keys.cpp view/sort_keys.h
  view/string_table_model.cpp view/string_table_model.h
)
