# Grids and server views (widgets).
target_sources(zorvane_gui PRIVATE
  view/gui_placeholder.cpp
)
