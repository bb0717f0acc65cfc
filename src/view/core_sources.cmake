# The view rules that need no widget: filter names and matching, sort keys, row texts.
target_sources(zorvane_core PRIVATE
  view/filter_names.h
)
