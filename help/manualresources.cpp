// The manual lives in this library's resources (see CMakeLists.txt); the
// library itself has no code of its own.
namespace t880::help {
int manualResources = 0;
}
