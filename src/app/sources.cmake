# Configuration and the headless side of the application (no widgets).
target_sources(zorvane_core PRIVATE
  app/configuration.cpp app/configuration.h
  app/game_tables.cpp app/game_tables.h
  app/ini_document.cpp app/ini_document.h
  app/ini_utils.cpp app/ini_utils.h
  app/mass_refresh.cpp app/mass_refresh.h
  app/message_sink.h
  app/settings.cpp app/settings.h
  app/start_directory.cpp app/start_directory.h
  app/wine_registry.cpp app/wine_registry.h
)
