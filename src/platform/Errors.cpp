#include "platform/Errors.h"

#include "platform/Messages.h"

namespace kx {

FileOpenError::FileOpenError(const std::string& path, const std::string& reason)
    : KxError(CpMessage(Msg::FileCannotOpen, {path, reason})), path_(path) {}

FileWriteError::FileWriteError(const std::string& path, const std::string& reason)
    : KxError(CpMessage(Msg::FileCannotWrite, {path, reason})), path_(path) {}

IndexError::IndexError(long long index)
    : KxError(CpMessage(Msg::ListIndexOutOfBounds, {std::to_string(index)})) {}

}  // namespace kx
