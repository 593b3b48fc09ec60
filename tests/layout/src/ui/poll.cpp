namespace {
constexpr int kSteps = 3;
struct Drag {
    int x = 0;
} g_drag;
} // namespace
