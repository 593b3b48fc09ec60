#pragma once
// Sets an environment variable for one scope, and puts back what was there.
#include <cstdlib>
#include <optional>
#include <string>

namespace ocuvell::testing {

class EnvVar {
  public:
    // value nullptr: the variable is unset for the scope.
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvVar() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace ocuvell::testing
