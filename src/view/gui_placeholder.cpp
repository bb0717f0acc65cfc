// Keeps the GUI library non-empty until its first widget lands.
namespace zorvane {
int GuiLibraryVersion() { return 1; }
}  // namespace zorvane
