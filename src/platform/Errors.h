// Failures that end the operation in progress and reach the general error report, a
// message box showing what() (texts are Windows-1257 bytes).
#pragma once

#include <stdexcept>
#include <string>

namespace kx {

// Base of every failure the program raises itself.
class KxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened for reading or writing, in the language of kx::Language:
// Cannot open file "<path>". <reason>    (Msg::FileCannotOpen)
class FileOpenError : public KxError {
public:
    FileOpenError(const std::string& path, const std::string& reason);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A file write that failed part-way (disk full, cannot replace the old file, ...).
class FileWriteError : public KxError {
public:
    FileWriteError(const std::string& path, const std::string& reason);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// An index outside a list: "List index out of bounds (<index>)" (Msg::ListIndexOutOfBounds).
class IndexError : public KxError {
public:
    explicit IndexError(long long index);
};

// No printer to print on: reported to the user as an error message, not as a failure.
class NoPrinterError : public KxError {
public:
    using KxError::KxError;
};

// A text that cannot be read as what it should be (a number, a coordinate, ...).
class ConvertError : public KxError {
public:
    using KxError::KxError;
};

}  // namespace kx
