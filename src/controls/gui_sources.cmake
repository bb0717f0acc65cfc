# The program's own controls (widgets).
target_sources(zorvane_gui PRIVATE
)
