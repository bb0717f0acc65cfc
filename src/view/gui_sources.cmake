# Grids and server views (widgets).
target_sources(zorvane_gui PRIVATE
  view/filter_combobox.cpp view/filter_combobox.h
  view/filter_panel.cpp view/filter_panel.h
  view/filters_dialog.cpp view/filters_dialog.h
  view/server_view.cpp view/server_view.h
  view/status_line.cpp view/status_line.h
  view/string_grid.cpp view/string_grid.h
  view/string_grid_header.cpp view/string_grid_header.h
)
