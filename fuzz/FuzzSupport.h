// Helpers shared by the libFuzzer targets.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace kxfuzz {

// Stops the run with a message when an invariant does not hold; libFuzzer keeps the
// input that got here as a crash.
inline void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// True when no byte of the text is a TAB, CR or LF.
inline bool OneLineField(std::string_view text) {
    return text.find_first_of("\t\r\n") == std::string_view::npos;
}

// Takes the input apart: bytes up to the next NUL (or the end) as one piece.
class Pieces {
public:
    Pieces(const unsigned char* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    std::string_view next() {
        const std::size_t nul = rest_.find('\0');
        std::string_view piece = rest_.substr(0, nul);
        rest_.remove_prefix(nul == std::string_view::npos ? rest_.size() : nul + 1);
        return piece;
    }
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// A scratch folder of this process (under TMPDIR), removed when the process ends.
inline const std::string& ScratchFolder() {
    struct Folder {
        std::string path;
        Folder() {
            const char* tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvadrix-fuzz-XXXXXX";
            if (!mkdtemp(pattern.data())) std::abort();
            path = pattern + "/";
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    return folder.path;
}

}  // namespace kxfuzz
