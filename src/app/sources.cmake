# Configuration and the headless side of the application (no widgets).
target_sources(zorvane_core PRIVATE
)
