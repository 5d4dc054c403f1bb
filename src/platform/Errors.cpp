#include "platform/Errors.h"

namespace kx {

FileOpenError::FileOpenError(const std::string& path, const std::string& reason)
    : KxError("Cannot open file \"" + path + "\". " + reason), path_(path) {}

FileWriteError::FileWriteError(const std::string& path, const std::string& reason)
    : KxError("Cannot write file \"" + path + "\". " + reason), path_(path) {}

IndexError::IndexError(long long index)
    : KxError("List index out of bounds (" + std::to_string(index) + ")") {}

}  // namespace kx
