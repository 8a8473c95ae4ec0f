#pragma once
// How an engine text built from one of msg::kAll is recognised and put into another language,
// whatever holds the catalogue (Qt's on Linux, a table built in on Windows).
#include <functional>
#include <string>

namespace talvenor {

// The translation of the message text was built from, with its values kept; text as it is when
// it was built from none, or translate (given the message's source) returns "".
std::string TranslateEngineTextWith(const std::string& text,
                                    const std::function<std::string(const char* source)>& translate);

}  // namespace talvenor
