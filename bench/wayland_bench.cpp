// One brightness slider step through the engine and the Wayland backend, next to the bare
// set_gamma requests it wraps, both against the fake compositor of the tests (outputs of
// gamma size 256 and 1024) and both timed until the compositor holds the new table of
// every output. Run them alternated:
//   wayland_bench --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true
#include "core/display/backends.h"
#include "core/display/gamma_engine.h"
#include "support/fake_compositor.h"

#include "wlr-gamma-control-unstable-v1-client-protocol.h"

#include <benchmark/benchmark.h>
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace ocuvell;
using ocuvell::testing::FakeCompositor;

constexpr std::uint32_t kSizes[] = {256, 1024};

void BM_SliderStepThroughEngineWayland(benchmark::State& state) {
    FakeCompositor compositor;
    for (std::uint32_t size : kSizes)
        compositor.addOutput(size);
    setenv("WAYLAND_DISPLAY", compositor.socket().c_str(), 1);
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    auto display = openWaylandDisplay(&why);
    if (!display || display->trouble() != DisplayTrouble::NoTrouble) {
        state.SkipWithError((std::string("no gamma control: ") + troubleWords(why)).c_str());
        return;
    }
    GammaEngine engine(std::move(display));
    engine.capture();
    std::size_t sent = 0;
    int level = -50;
    // The program's event loop: the backend sends a new round once the compositor has
    // read the last, which it learns by reading the connection.
    DisplayEvents* events = engine.display().events();
    const auto arrived = [&] {
        return compositor.tableCount(0) >= sent && compositor.tableCount(1) >= sent;
    };
    for (auto _ : state) {
        engine.rampall(level);
        level = level == 50 ? -50 : level + 1;
        ++sent;
        while (!arrived() && events->fd() >= 0) {
            pollfd pfd{events->fd(), POLLIN, 0};
            ::poll(&pfd, 1, 1);
            events->dispatch();
        }
    }
}
BENCHMARK(BM_SliderStepThroughEngineWayland)->UseRealTime();

// The floor: a sealed memory file and set_gamma per output, then a flush.
struct BareClient {
    wl_display* display = nullptr;
    zwlr_gamma_control_manager_v1* manager = nullptr;
    std::vector<wl_output*> outputs;
    std::vector<zwlr_gamma_control_v1*> controls;
    std::vector<std::uint32_t> sizes;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t) {
        auto* self = static_cast<BareClient*>(data);
        if (std::strcmp(interface, zwlr_gamma_control_manager_v1_interface.name) == 0)
            self->manager = static_cast<zwlr_gamma_control_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_gamma_control_manager_v1_interface, 1));
        else if (std::strcmp(interface, wl_output_interface.name) == 0)
            self->outputs.push_back(
                static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static void size(void* data, zwlr_gamma_control_v1*, std::uint32_t size) {
        static_cast<BareClient*>(data)->sizes.push_back(size);
    }
    static void failed(void*, zwlr_gamma_control_v1*) {}
};

void BM_BareSetGammaWayland(benchmark::State& state) {
    FakeCompositor compositor;
    for (std::uint32_t size : kSizes)
        compositor.addOutput(size);
    BareClient client;
    client.display = wl_display_connect(compositor.socket().c_str());
    static const wl_registry_listener registryListener{BareClient::global,
                                                       BareClient::globalRemove};
    static const zwlr_gamma_control_v1_listener controlListener{BareClient::size,
                                                                BareClient::failed};
    wl_registry* registry = wl_display_get_registry(client.display);
    wl_registry_add_listener(registry, &registryListener, &client);
    wl_display_roundtrip(client.display);
    for (wl_output* output : client.outputs) {
        client.controls.push_back(
            zwlr_gamma_control_manager_v1_get_gamma_control(client.manager, output));
        zwlr_gamma_control_v1_add_listener(client.controls.back(), &controlListener, &client);
    }
    wl_display_roundtrip(client.display);
    std::vector<std::vector<std::uint16_t>> tables;
    for (std::uint32_t size : client.sizes)
        tables.emplace_back(3 * size, 30000);
    std::size_t sent = 0;
    bool written = true;
    for (auto _ : state) {
        for (std::size_t i = 0; i < client.controls.size() && written; ++i) {
            tables[i][1] ^= 1; // a different table each time, as a slider gives
            const int fd = memfd_create("bench-gamma", MFD_CLOEXEC | MFD_ALLOW_SEALING);
            const std::size_t bytes = tables[i].size() * sizeof(std::uint16_t);
            written = pwrite(fd, tables[i].data(), bytes, 0) == static_cast<ssize_t>(bytes);
            if (written) {
                fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
                zwlr_gamma_control_v1_set_gamma(client.controls[i], fd);
            }
            close(fd);
        }
        if (!written) {
            state.SkipWithError("cannot write a gamma table");
            break;
        }
        wl_display_flush(client.display);
        ++sent;
        for (int output = 0; output < 2; ++output)
            compositor.waitForTables(output, sent);
    }
    for (zwlr_gamma_control_v1* control : client.controls)
        zwlr_gamma_control_v1_destroy(control);
    for (wl_output* output : client.outputs)
        wl_output_destroy(output);
    zwlr_gamma_control_manager_v1_destroy(client.manager);
    wl_registry_destroy(registry);
    wl_display_disconnect(client.display);
}
BENCHMARK(BM_BareSetGammaWayland)->UseRealTime();

} // namespace
