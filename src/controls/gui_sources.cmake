# The program's own controls (widgets).
target_sources(zorvane_gui PRIVATE
  controls/captioned_panel.cpp controls/captioned_panel.h
  controls/control_font.cpp controls/control_font.h
  controls/korv_combobox.cpp controls/korv_combobox.h
  controls/korv_edit.cpp controls/korv_edit.h
)
