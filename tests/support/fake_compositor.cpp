#include "support/fake_compositor.h"

#include "wlr-gamma-control-unstable-v1-server-protocol.h"

#include <wayland-server.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace ocuvell::testing {

namespace {

struct Output {
    std::mutex* mutex; // the compositor's, guarding tables and error
    std::condition_variable* received;
    std::string* error;
    std::uint32_t gammaSize;
    wl_global* global = nullptr;
    wl_resource* control = nullptr; // the one client's gamma control, if any
    std::vector<FakeCompositor::Table> tables;
};

} // namespace

struct FakeCompositor::State {
    wl_display* display = nullptr;
    wl_event_loop* loop = nullptr;
    int wake = -1;
    wl_event_source* wakeSource = nullptr;
    std::string folder;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> reading{true};
    mutable std::mutex mutex; // guards what follows
    mutable std::condition_variable received;
    std::map<int, std::unique_ptr<Output>> outputs;
    std::vector<std::function<void()>> work;
    std::vector<wl_global*> otherGlobals;
    std::vector<std::unique_ptr<wl_interface>> otherInterfaces;
    std::string error;
};

namespace {

using State = FakeCompositor::State;

void controlGone(wl_resource* resource) {
    if (auto* output = static_cast<Output*>(wl_resource_get_user_data(resource)))
        output->control = nullptr;
}

void setGamma(wl_client*, wl_resource* resource, std::int32_t fd) {
    auto* output = static_cast<Output*>(wl_resource_get_user_data(resource));
    if (!output) {
        close(fd);
        return;
    }
    FakeCompositor::Table table;
    table.entries.resize(3 * output->gammaSize);
    const std::size_t length = table.entries.size() * sizeof(std::uint16_t);
    struct stat st {};
    const bool sized = fstat(fd, &st) == 0 && static_cast<std::size_t>(st.st_size) == length;
    const int seals = fcntl(fd, F_GET_SEALS);
    table.sealed = seals >= 0 && (seals & (F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW)) ==
                                     (F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW);
    // read() from the current offset, as some compositors do.
    const bool read =
        sized && ::read(fd, table.entries.data(), length) == static_cast<ssize_t>(length);
    close(fd);
    std::lock_guard lock(*output->mutex);
    if (!read) {
        *output->error = "invalid gamma table";
        wl_resource_post_error(resource, ZWLR_GAMMA_CONTROL_V1_ERROR_INVALID_GAMMA,
                               "the gamma table has the wrong size");
        return;
    }
    output->tables.push_back(std::move(table));
    output->received->notify_all();
}

void destroyResource(wl_client*, wl_resource* resource) {
    wl_resource_destroy(resource);
}

const struct zwlr_gamma_control_v1_interface kControlImpl = {setGamma, destroyResource};

void getGammaControl(wl_client* client, wl_resource* manager, std::uint32_t id,
                     wl_resource* outputResource) {
    auto* control = wl_resource_create(client, &zwlr_gamma_control_v1_interface,
                                       wl_resource_get_version(manager), id);
    auto* output = static_cast<Output*>(wl_resource_get_user_data(outputResource));
    // A removed output's resource has no output; a size of 0 is an output without gamma.
    if (!output || !output->global || output->gammaSize == 0 || output->control) {
        wl_resource_set_implementation(control, &kControlImpl, nullptr, nullptr);
        zwlr_gamma_control_v1_send_failed(control);
        return;
    }
    wl_resource_set_implementation(control, &kControlImpl, output, controlGone);
    output->control = control;
    zwlr_gamma_control_v1_send_gamma_size(control, output->gammaSize);
}

const struct zwlr_gamma_control_manager_v1_interface kManagerImpl = {getGammaControl,
                                                                     destroyResource};

void bindManager(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    auto* resource =
        wl_resource_create(client, &zwlr_gamma_control_manager_v1_interface, version, id);
    wl_resource_set_implementation(resource, &kManagerImpl, nullptr, nullptr);
}

const struct wl_output_interface kOutputImpl = {destroyResource};

void bindOutput(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    auto* resource = wl_resource_create(client, &wl_output_interface, version, id);
    wl_resource_set_implementation(resource, &kOutputImpl, data, nullptr);
}

void bindNothing(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    wl_resource_create(client, static_cast<const wl_interface*>(data), version, id);
}

int runWork(int fd, std::uint32_t, void* data) {
    auto* state = static_cast<State*>(data);
    std::uint64_t count = 0;
    // Only wakes the loop: the count itself does not matter.
    [[maybe_unused]] const ssize_t got = ::read(fd, &count, sizeof count);
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(state->mutex);
        work.swap(state->work);
    }
    for (auto& job : work)
        job();
    return 0;
}

} // namespace

FakeCompositor::FakeCompositor(Options options) : state_(std::make_unique<State>()) {
    State& s = *state_;
    char folder[] = "/tmp/ocuvell-wayland.XXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("no folder for the compositor's socket");
    s.folder = folder;
    socket_ = s.folder + "/wayland-test";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_.c_str());
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        listen(listener, 8))
        throw std::runtime_error("cannot listen at " + socket_);

    s.display = wl_display_create();
    s.loop = wl_display_get_event_loop(s.display);
    wl_display_add_socket_fd(s.display, listener);
    s.wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    s.wakeSource = wl_event_loop_add_fd(s.loop, s.wake, WL_EVENT_READABLE, runWork, &s);
    if (options.gammaManager)
        wl_global_create(s.display, &zwlr_gamma_control_manager_v1_interface, 1, nullptr,
                         bindManager);
    for (const std::string& name : options.otherGlobals) {
        auto interface = std::make_unique<wl_interface>();
        interface->name = strdup(name.c_str());
        interface->version = 1;
        s.otherGlobals.push_back(
            wl_global_create(s.display, interface.get(), 1, interface.get(), bindNothing));
        s.otherInterfaces.push_back(std::move(interface));
    }
    s.thread = std::thread([&s] {
        while (!s.stop) {
            if (s.reading) {
                wl_event_loop_dispatch(s.loop, 50);
            } else {
                // Only the work queued here, never the clients' sockets.
                pollfd wake{s.wake, POLLIN, 0};
                if (::poll(&wake, 1, 50) > 0)
                    runWork(s.wake, 0, &s);
            }
            wl_display_flush_clients(s.display);
        }
    });
}

FakeCompositor::~FakeCompositor() {
    State& s = *state_;
    s.stop = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t sent = ::write(s.wake, &one, sizeof one);
    s.thread.join();
    wl_event_source_remove(s.wakeSource);
    wl_display_destroy_clients(s.display);
    wl_display_destroy(s.display);
    close(s.wake);
    for (auto& interface : s.otherInterfaces)
        free(const_cast<char*>(interface->name));
    std::error_code ec;
    std::filesystem::remove_all(s.folder, ec);
}

void FakeCompositor::call(std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    {
        std::lock_guard lock(state_->mutex);
        state_->work.push_back([work = std::move(work), done] {
            work();
            done->set_value();
        });
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t sent = ::write(state_->wake, &one, sizeof one);
    finished.wait();
}

int FakeCompositor::addOutput(std::uint32_t gammaSize) {
    int number = 0;
    call([this, gammaSize, &number] {
        State& s = *state_;
        std::lock_guard lock(s.mutex);
        number = static_cast<int>(s.outputs.size());
        auto output = std::make_unique<Output>();
        output->mutex = &s.mutex;
        output->received = &s.received;
        output->error = &s.error;
        output->gammaSize = gammaSize;
        output->global =
            wl_global_create(s.display, &wl_output_interface, 3, output.get(), bindOutput);
        s.outputs[number] = std::move(output);
    });
    return number;
}

void FakeCompositor::removeOutput(int number) {
    call([this, number] {
        State& s = *state_;
        std::lock_guard lock(s.mutex);
        Output& output = *s.outputs.at(number);
        wl_global_destroy(output.global);
        output.global = nullptr;
        // The client's objects for it stay until it lets them go; they now lead nowhere.
        if (output.control)
            wl_resource_set_user_data(output.control, nullptr);
        output.control = nullptr;
    });
}

void FakeCompositor::disconnectClients() {
    call([this] { wl_display_destroy_clients(state_->display); });
}

void FakeCompositor::setReading(bool reading) {
    call([this, reading] { state_->reading = reading; });
}

std::vector<FakeCompositor::Table> FakeCompositor::tables(int output) const {
    std::lock_guard lock(state_->mutex);
    return state_->outputs.at(output)->tables;
}

std::size_t FakeCompositor::tableCount(int output) const {
    std::lock_guard lock(state_->mutex);
    return state_->outputs.at(output)->tables.size();
}

bool FakeCompositor::waitForTables(int output, std::size_t count) const {
    std::unique_lock lock(state_->mutex);
    const Output& o = *state_->outputs.at(output);
    return state_->received.wait_for(lock, std::chrono::seconds(2),
                                     [&] { return o.tables.size() >= count; });
}

std::string FakeCompositor::error() const {
    std::lock_guard lock(state_->mutex);
    return state_->error;
}

} // namespace ocuvell::testing
