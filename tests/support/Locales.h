// The C library's locale, or the environment that names the user's language, for one
// test: numbers, dates and character classes as a user of that locale has them. The window program
// takes the user's locale at start (Qt sets it from the environment), so every parse and format
// must hold under it.
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

namespace kxtest {

// Locales whose decimal sign is a comma (scripts/test generates them).
inline const std::vector<std::string> kCommaLocales = {"lt_LT.UTF-8", "de_DE.UTF-8"};

class ScopedLocale {
public:
    explicit ScopedLocale(const std::string& name) {
        if (const char* now = std::setlocale(LC_ALL, nullptr)) old_ = now;
        ok_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // False when this machine lacks the locale (nothing changed then).
    bool ok() const { return ok_; }

private:
    std::string old_ = "C";
    bool ok_ = false;
};

// One environment variable set (or, with nullptr, removed) for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* now = std::getenv(name)) old_ = now;
        had_ = std::getenv(name) != nullptr;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

}  // namespace kxtest
