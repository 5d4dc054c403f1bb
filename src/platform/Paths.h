// Where every file of Kvadrix is read and kept. The layout is decided once at start from
// the executable's folder:
//  - portable: the folder holds "BEXWWL.dat"; every file is read and kept there;
//  - installed: the executable lies in PREFIX/bin and PREFIX/share/kvadrix/ holds the
//    tables; the shipped files are read from there, "Kvadrix.ini" is kept in
//    $XDG_CONFIG_HOME/kvadrix/, the log, its lock and backups and the user's own files in
//    $XDG_DATA_HOME/kvadrix/. Nothing is written under PREFIX.
// Files a user may edit (the call-sign table and the application templates) are read from
// the user's folder when a copy lies there, else from the shipped ones.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kx {

enum class Layout { Portable, Installed };

class Paths {
public:
    // Reads an environment variable: nullptr when unset.
    using Environment = std::function<const char*(const char*)>;

    // Every folder is the same one. folder: with or without its trailing '/'.
    static Paths Portable(const std::string& folder);
    // The three folders of an installed program.
    static Paths Installed(const std::string& shippedFolder, const std::string& configFolder,
                           const std::string& userFolder);
    // The layout of an executable in exeFolder. Portable when exeFolder holds the tables
    // or when no PREFIX/share/kvadrix/ does (so missing tables are reported there).
    static Paths Detect(const std::string& exeFolder, const Environment& env = DefaultEnvironment);

    Layout layout() const { return layout_; }
    // Folders, each with its trailing '/' (or empty for the current directory).
    const std::string& ShippedFolder() const { return shipped_; }
    const std::string& ConfigFolder() const { return config_; }
    // The log, its lock and backups, the user's own copies; where dialogs start.
    const std::string& UserFolder() const { return user_; }

    // Where the file of this bare name ("QSO.dat", "LY-BEX.dat", "Kvadrix.ini") is read or
    // kept now. An editable file is looked up in the user folder first at every call.
    std::string File(std::string_view name) const;

    // Creates the settings and user folders when missing (installed layout only; a portable
    // folder is never created). False with the system's reason when one cannot be made.
    bool MakeFolders(std::string* reason = nullptr) const;

    // Whether a user may keep a copy of this shipped file in the user folder.
    static bool Editable(std::string_view name);

    static const char* DefaultEnvironment(const char* name);

private:
    Layout layout_ = Layout::Portable;
    std::string shipped_, config_, user_;
};

// The layout in use. Until one is decided, the portable layout of the current directory.
const Paths& CurrentPaths();
void UsePaths(Paths paths);
// Whether UsePaths has been called since the start (or the last ForgetPaths).
bool PathsDecided();
void ForgetPaths();

// Shortcuts for the layout in use.
inline std::string FilePath(std::string_view name) {
    return CurrentPaths().File(name);
}
inline const std::string& UserFolder() {
    return CurrentPaths().UserFolder();
}
inline void UsePortableFolder(const std::string& folder) {
    UsePaths(Paths::Portable(folder));
}

}  // namespace kx
