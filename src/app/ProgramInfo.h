// Fixed values of the program: names and addresses. The author credit that follows the
// version on the start window is a message (Msg::AuthorCredit).
#pragma once

namespace kx {

// The program's home page, opened by the link label of the start window.
inline constexpr const char* kHomePageUrl = "https://www.lrmd.lt/";
inline constexpr const char* kHomePageText = "www.lrmd.lt";

// The country's encyclopedia page, opened by "About Lithuania".
inline constexpr const char* kLithuaniaUrl = "https://en.wikipedia.org/wiki/Lithuania";

// The version string when the program knows none.
inline constexpr const char* kNoVersion = "Value Not Available";

}  // namespace kx
