#pragma once
// One JSON object per line, as the exchange files and --json use them. Keys keep the
// order they are added in, so a written line reads the way it was built.
#include <string>

#include <nlohmann/json.hpp>

namespace jsonl {

using Object = nlohmann::ordered_json;

// False with the reason ("column N: ..." for a syntax error) when the line is not one JSON
// object, or names a key twice (which of the two would count is a guess this program does
// not make).
bool parseObject(const std::string& line, Object& object, std::string& error);

// Whether line is no JSON only because it ends too soon, as a line cut off in the middle does.
bool endsTooSoon(const std::string& line);

// The object on one line, without the newline. Bytes that are not UTF-8 come out as
// U+FFFD instead of stopping the program.
std::string line(const Object& object);

}  // namespace jsonl
