#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Settings.h"

namespace kx {

namespace {

constexpr const char* kTableName = "BEXWWL.dat";
constexpr std::array<std::string_view, 3> kEditable = {"LY-BEX.dat", "BEXApplication.rtf",
                                                       "BEXApplicationLT.rtf"};
constexpr std::array<std::string_view, 7> kShipped = {kTableName,   "CityBEX.dat",  "BorderLT.dat",
                                                      "KXInfo.dat", "KXInfoLT.dat", "AboutBEX.htm",
                                                      "ApieBEX.htm"};

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The user's home: $HOME, else the password database's entry.
std::string Home(const Paths::Environment& env) {
    if (const char* home = env("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

// An XDG base folder: the variable when it holds an absolute path, else HOME/fallback.
std::string XdgFolder(const Paths::Environment& env, const char* variable, const char* fallback) {
    if (const char* value = env(variable); value && value[0] == '/') return WithSlash(value);
    std::string home = Home(env);
    return WithSlash(home.empty() ? std::string(fallback) : WithSlash(home) + fallback);
}

bool MakeFolder(const std::string& folder, std::string* reason) {
    // Every step of the path, parents first.
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/') continue;
        const std::string step = folder.substr(0, pos);
        if (step.empty() || step.back() == '/') continue;
        if (::mkdir(step.c_str(), 0755) != 0 && errno != EEXIST) {
            if (reason) *reason = step + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (reason) *reason = folder + ": not a folder";
        return false;
    }
    return true;
}

Paths& Current() {
    static Paths paths = Paths::Portable("");
    return paths;
}
bool decided = false;

}  // namespace

const char* Paths::DefaultEnvironment(const char* name) {
    return std::getenv(name);
}

Paths Paths::Portable(const std::string& folder) {
    Paths p;
    p.layout_ = Layout::Portable;
    p.shipped_ = p.config_ = p.user_ = WithSlash(folder);
    return p;
}

Paths Paths::Installed(const std::string& shippedFolder, const std::string& configFolder,
                       const std::string& userFolder) {
    Paths p;
    p.layout_ = Layout::Installed;
    p.shipped_ = WithSlash(shippedFolder);
    p.config_ = WithSlash(configFolder);
    p.user_ = WithSlash(userFolder);
    return p;
}

Paths Paths::Detect(const std::string& exeFolder, const Environment& env) {
    std::string folder = exeFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || IsFile(WithSlash(folder) + kTableName)) return Portable(folder);
    const auto slash = folder.rfind('/');
    if (slash != std::string::npos && folder.substr(slash + 1) == "bin") {
        const std::string share = folder.substr(0, slash) + "/share/kvadrix/";
        if (IsFile(share + kTableName)) {
            return Installed(share, XdgFolder(env, "XDG_CONFIG_HOME", ".config") + "kvadrix/",
                             XdgFolder(env, "XDG_DATA_HOME", ".local/share") + "kvadrix/");
        }
    }
    return Portable(folder);
}

bool Paths::Editable(std::string_view name) {
    return std::find(kEditable.begin(), kEditable.end(), name) != kEditable.end();
}

std::string Paths::File(std::string_view name) const {
    if (name == settings::kFileName) return config_ + std::string(name);
    if (Editable(name)) {
        std::string own = user_ + std::string(name);
        return user_ == shipped_ || IsFile(own) ? own : shipped_ + std::string(name);
    }
    if (std::find(kShipped.begin(), kShipped.end(), name) != kShipped.end())
        return shipped_ + std::string(name);
    return user_ + std::string(name);
}

bool Paths::MakeFolders(std::string* reason) const {
    if (layout_ == Layout::Portable) return true;
    return MakeFolder(config_, reason) && MakeFolder(user_, reason);
}

const Paths& CurrentPaths() {
    return Current();
}

void UsePaths(Paths paths) {
    Current() = std::move(paths);
    decided = true;
}

bool PathsDecided() {
    return decided;
}

void ForgetPaths() {
    Current() = Paths::Portable("");
    decided = false;
}

}  // namespace kx
