#pragma once
// A small Wayland compositor on its own thread, for the gamma-control backend's tests and
// benchmark: it offers outputs with a gamma size each (0: the output answers failed),
// the gamma-control manager (unless told not to) and any other globals named, and records
// every table it is sent. Its sizes are taken as given, however large. Start it after pointing
// XDG_RUNTIME_DIR at a private folder; clients find it through socket().
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ocuvell::testing {

class FakeCompositor {
  public:
    struct Options {
        bool gammaManager = true;
        std::vector<std::string> otherGlobals; // e.g. "org_kde_plasma_shell"
    };
    struct Table {
        std::vector<std::uint16_t> entries; // red, green, blue; gamma size each
        bool sealed = false;                // could no longer be written, grown or shrunk
    };

    FakeCompositor() : FakeCompositor(Options{}) {}
    explicit FakeCompositor(Options options);
    ~FakeCompositor();
    FakeCompositor(const FakeCompositor&) = delete;
    FakeCompositor& operator=(const FakeCompositor&) = delete;

    const std::string& socket() const { return socket_; }
    // A new output; returns its number, from 0.
    int addOutput(std::uint32_t gammaSize);
    void removeOutput(int output);
    // Closes every client's connection, as a compositor that ends does.
    void disconnectClients();
    // false: what clients send stays unread in their sockets, as with a compositor that
    // hangs; requests queued here and events go on.
    void setReading(bool reading);

    std::vector<Table> tables(int output) const;
    std::size_t tableCount(int output) const;
    // Waits until the output has received count tables in all; false after two seconds.
    bool waitForTables(int output, std::size_t count) const;
    // A protocol error sent to a client, empty when none.
    std::string error() const;

    struct State; // the compositor thread's, for its handlers

  private:
    void call(std::function<void()> work);

    std::unique_ptr<State> state_;
    std::string socket_;
};

} // namespace ocuvell::testing
