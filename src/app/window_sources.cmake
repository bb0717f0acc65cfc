# The main window and what only it uses (widgets).
target_sources(zorvane_gui PRIVATE
  app/log_window.cpp app/log_window.h
  app/main_window.cpp app/main_window.h
  app/unix_signals.cpp app/unix_signals.h
  app/window_dialogs.cpp app/window_dialogs.h
)
