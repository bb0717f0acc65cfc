# The INI-bound controls and the INI editor dialog (widgets).
target_sources(zorvane_gui PRIVATE
  app/ini_controls.cpp app/ini_controls.h
  app/korv_ini.cpp app/korv_ini.h
)
