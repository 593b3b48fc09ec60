#pragma once
// Operation scripts on the settings file, run against every implementation of the profile
// functions: the same reads and writes must give the same results and the same file bytes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ocuvell::profiletest {

struct Step {
    enum Kind { Read, Write, Remove } kind;
    std::string section;
    std::string key;
    std::string value; // Write: the value; Read: the default
    std::size_t bufferSize = 256;
};

struct Script {
    std::string name;
    std::optional<std::string> initial; // the file before the first step; nullopt = absent
    std::vector<Step> steps;
    // Set where Wine's profile functions are known to differ from the portable ones: why,
    // and what is known of Windows, which wins. Under Wine such a case then compares the
    // reads and, unless ReadsOnly, the file bytes in Wine's normalised form; where Wine
    // parses the file differently (Unparsed) it only shows the differences.
    std::string wineDiffers = {};
    enum Compare { Normalised, ReadsOnly, Unparsed } wineCompare = Normalised;
};

const std::vector<Script>& scripts();

// What the program itself passes: the key's name as default, a buffer of 256.
Step read(std::string section, std::string key);
Step write(std::string section, std::string key, std::string value);
Step remove(std::string section, std::string key);

// The implementation under test, one call per step.
class Backend {
  public:
    virtual ~Backend() = default;
    virtual void start(const std::string& name, const std::optional<std::string>& initial) = 0;
    virtual std::string read(const Step& step) = 0;
    virtual void write(const Step& step) = 0; // Write and Remove
    virtual std::optional<std::string> fileBytes() = 0;
};

// One entry per step: what a read returned, or the file's bytes after a write.
struct Entry {
    bool isRead;
    std::string label;
    std::optional<std::string> bytes; // nullopt: no file after the write
    std::string describe() const;
    friend bool operator==(const Entry&, const Entry&) = default;
};
std::vector<Entry> run(const Script& script, Backend& backend);

// The pure text functions on an in-memory file.
class TextBackend : public Backend {
  public:
    void start(const std::string& name, const std::optional<std::string>& initial) override;
    std::string read(const Step& step) override;
    void write(const Step& step) override;
    std::optional<std::string> fileBytes() override { return file_; }

  private:
    std::optional<std::string> file_;
};

// profileRead / profileWrite on a real file in dir: the system's functions on Windows,
// the portable ones elsewhere.
class FileBackend : public Backend {
  public:
    explicit FileBackend(std::string dir) : dir_(std::move(dir)) {}
    void start(const std::string& name, const std::optional<std::string>& initial) override;
    std::string read(const Step& step) override;
    void write(const Step& step) override;
    std::optional<std::string> fileBytes() override;

  private:
    std::string dir_;
    std::string path_;
};

std::string escaped(const std::string& bytes);

// File bytes in the form Wine writes them: every line trimmed, blanks around "=" and
// inside section brackets dropped, a section header cut after its name, blank lines
// dropped, every line ended with CR LF.
std::string normalised(std::string_view bytes);

} // namespace ocuvell::profiletest
